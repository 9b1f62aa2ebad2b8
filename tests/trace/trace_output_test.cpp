#include "trace/trace_output.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/test_support.h"
#include "trace_fields.h"
#include "view/streamline_reader.h"

namespace vortan::trace {
namespace {

// Read back as the drawing pass reads it: the header, and the traced points at
// single precision as knots, lines of more than 1001 points thinned evenly.
TEST(WriteTraceResult, ReadsBackToTheSameKnots) {
    const VectorField helix =
        test::Sampled([](double x, double y, double) { return test::V(-y, x, 0.2); },
                      test::Nodes(-1, 1, 9), test::Nodes(-1, 1, 9), test::Nodes(0, 1, 5));
    const std::pair<VectorField, Parameter> cases[] = {{test::Rotation(), Parameter::kNormalized},
                                                       {test::DoubleGyre(65, 33), Parameter::kTime},
                                                       {helix, Parameter::kLength}};
    vortan::test::TempDir dir;
    std::size_t thinned = 0;
    for (const auto& [field, parameter] : cases) {
        TraceOptions options;
        options.parameter = parameter, options.separation = field.dimension == 3 ? 60 : 6;
        const TraceResult r = TraceField(field, options);
        ASSERT_FALSE(r.streamlines.empty()) << r.error;
        std::string error;
        ASSERT_TRUE(WriteTraceResult(r, dir.file("out.math"), error)) << error;
        StreamlineFile file;
        ASSERT_TRUE(file.Open(dir.file("out.math")));
        const StreamlineHeader h = ReadStreamlineHeader(file);
        const StreamlineHeader& w = r.header;
        EXPECT_EQ(
            std::vector<float>({h.imageWidth, h.imageHeight, h.dimension, h.tMax, h.progressStep,
                                h.xMin, h.xMax, h.yMin, h.yMax, h.zMin, h.zMax}),
            std::vector<float>({w.imageWidth, w.imageHeight, w.dimension, w.tMax, w.progressStep,
                                w.xMin, w.xMax, w.yMin, w.yMax, w.zMin, w.zMax}));
        auto state = std::make_unique<VortanFrameState>();
        std::string text;
        std::size_t index = 0;
        while (ReadStreamlineRecord(file, text)) {
            ASSERT_LT(index, r.streamlines.size());
            ASSERT_TRUE(ParseStreamlineRecord(text, h, *state)) << "record " << index;
            const auto& line = r.streamlines[index++];
            const std::size_t m = line.size(), n = std::min<std::size_t>(m - 1, 1000);
            ASSERT_EQ(state->m_knotCount, static_cast<std::int32_t>(n));
            thinned += m > 1001;
            for (std::size_t k = 0; k <= n; ++k) {
                // Knot k of a thinned line is point round(k (m - 1) / 1000).
                const TracePoint& p = line[m > 1001 ? (2 * k * (m - 1) + 1000) / 2000 : k];
                const Knot& knot = state->m_knots[k];
                ASSERT_EQ(
                    std::vector<float>({knot.t, knot.x, knot.y, h.dimension == 3 ? knot.z : 0}),
                    std::vector<float>({float(p.t - line[0].t), float(p.x), float(p.y),
                                        h.dimension == 3 ? float(p.z) : 0}))
                    << "record " << index << " knot " << k;
            }
        }
        EXPECT_EQ(index, r.streamlines.size());
    }
    EXPECT_GT(thinned, 0u) << "no line was thinned";
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
