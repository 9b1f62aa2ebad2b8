#include "trace/trace_output.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "trace_fields.h"
#include "view/streamline_reader.h"

namespace vortan::trace {
namespace {

// Every traced line of each kind is taken by the writer and read back in its
// place under the traced header; knots and thinning are the writer's own tests.
TEST(WriteTraceResult, ReadsBackUnderTheTracedHeader) {
    const VectorField helix =
        test::Sampled([](double x, double y, double) { return test::V(-y, x, 0.2); },
                      test::Nodes(-1, 1, 9), test::Nodes(-1, 1, 9), test::Nodes(0, 1, 5));
    const std::pair<VectorField, Parameter> cases[] = {{test::Rotation(), Parameter::kNormalized},
                                                       {test::DoubleGyre(65, 33), Parameter::kTime},
                                                       {helix, Parameter::kLength}};
    vortan::test::TempDir dir;
    for (const auto& [field, parameter] : cases) {
        TraceOptions options;
        options.parameter = parameter;
        options.separation = field.dimension == 3 ? 60 : 6;
        const TraceResult r = TraceField(field, options);
        ASSERT_FALSE(r.streamlines.empty()) << r.error;
        std::string error;
        ASSERT_TRUE(WriteTraceResult(r, dir.file("out.math"), error)) << error;
        StreamlineFile file;
        ASSERT_TRUE(file.Open(dir.file("out.math")));
        const StreamlineHeader h = ReadStreamlineHeader(file);
        EXPECT_EQ(vortan::test::HeaderNumbers(h), vortan::test::HeaderNumbers(r.header));
        // The first and the last point of each line, in turn.
        std::vector<float> got, want;
        auto state = std::make_unique<VortanFrameState>();
        for (std::string text; ReadStreamlineRecord(file, text);) {
            ASSERT_TRUE(ParseStreamlineRecord(text, h, *state)) << text.substr(0, 60);
            const Knot &a = state->m_knots[0], &b = state->m_knots[state->m_knotCount];
            got.insert(got.end(), {a.x, a.y, a.z, b.t, b.x, b.y, b.z});
        }
        for (const auto& line : r.streamlines) {
            const TracePoint &a = line.front(), &b = line.back();
            want.insert(want.end(), {float(a.x), float(a.y), float(a.z), float(b.t - a.t),
                                     float(b.x), float(b.y), float(b.z)});
        }
        EXPECT_EQ(got, want);
    }
}

TEST(WriteTraceResult, AFailedWriteKeepsTheOldFile) {
    vortan::test::TempDir dir;
    vortan::test::WriteTextFile(dir.file("old.math"), "old");
    TraceResult r = TraceField(test::Uniform(), {});
    std::string error;
    // A position beyond the float range is refused; the file in place stays.
    r.streamlines[0][1].x = 1e300;
    EXPECT_FALSE(WriteTraceResult(r, dir.file("old.math"), error));
    EXPECT_NE(error.find(dir.file("old.math")), std::string::npos) << error;
    EXPECT_EQ(vortan::test::ReadWholeFile(dir.file("old.math")), "old");
}

}  // namespace
}  // namespace vortan::trace
