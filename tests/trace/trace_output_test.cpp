#include "trace/trace_output.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/test_support.h"
#include "trace_fields.h"
#include "view/streamline_reader.h"

namespace vortan::trace {
namespace {

using vortan::test::ReadWholeFile;
using vortan::test::TempDir;
using vortan::test::WriteTextFile;

// Traces, writes, and reads the file back as the drawing pass does: the
// header numbers and every streamline's knots are the traced points at
// single precision (lines of more than 1001 points thinned evenly).
TEST(WriteTraceResult, ReadsBackToTheSameKnots) {
    struct Case {
        const char* name;
        VectorField field;
        Parameter parameter;
    };
    const VectorField helix = test::Field3(
        [](double x, double y, double, double& u, double& v, double& w) { u = -y, v = x, w = 0.2; },
        test::Nodes(-1, 1, 9), test::Nodes(-1, 1, 9), test::Nodes(0, 1, 5));
    const Case cases[] = {{"rotation, normalized", test::Rotation(), Parameter::kNormalized},
                          {"double gyre, time", test::DoubleGyre(65, 33), Parameter::kTime},
                          {"helix, length", helix, Parameter::kLength}};
    TempDir dir;
    for (const Case& c : cases) {
        TraceOptions options;
        options.parameter = c.parameter;
        // Long lines in 2-D: some are thinned.
        options.separation = c.field.dimension == 3 ? 60 : 6;
        const TraceResult r = TraceField(c.field, options);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_FALSE(r.streamlines.empty());
        std::string error;
        ASSERT_TRUE(WriteTraceResult(r, dir.file("out.math"), error)) << error;

        StreamlineFile file;
        ASSERT_TRUE(file.Open(dir.file("out.math")));
        const StreamlineHeader h = ReadStreamlineHeader(file);
        const float want[] = {r.header.imageWidth, r.header.imageHeight,  r.header.dimension,
                              r.header.tMax,       r.header.progressStep, r.header.xMin,
                              r.header.xMax,       r.header.yMin,         r.header.yMax,
                              r.header.zMin,       r.header.zMax};
        const float got[] = {h.imageWidth,   h.imageHeight, h.dimension, h.tMax,
                             h.progressStep, h.xMin,        h.xMax,      h.yMin,
                             h.yMax,         h.zMin,        h.zMax};
        for (int i = 0; i < 11; ++i) EXPECT_EQ(got[i], want[i]) << c.name << " number " << i + 1;

        auto state = std::make_unique<VortanFrameState>();
        std::string text;
        std::size_t index = 0, thinned = 0;
        while (ReadStreamlineRecord(file, text)) {
            ASSERT_LT(index, r.streamlines.size()) << c.name;
            ASSERT_TRUE(ParseStreamlineRecord(text, h, *state)) << c.name << " record " << index;
            const auto& line = r.streamlines[index++];
            const std::size_t m = line.size();
            const std::size_t n = std::min<std::size_t>(m - 1, 1000);
            ASSERT_EQ(state->m_knotCount, static_cast<std::int32_t>(n)) << c.name;
            thinned += m > 1001;
            for (std::size_t k = 0; k <= n; ++k) {
                // Knot k of a thinned line is point round(k (m - 1) / 1000).
                const std::size_t i = m > 1001 ? (2 * k * (m - 1) + 1000) / 2000 : k;
                const Knot& knot = state->m_knots[k];
                EXPECT_EQ(knot.t, static_cast<float>(line[i].t - line[0].t)) << c.name << " " << k;
                EXPECT_EQ(knot.x, static_cast<float>(line[i].x)) << c.name << " " << k;
                EXPECT_EQ(knot.y, static_cast<float>(line[i].y)) << c.name << " " << k;
                if (h.dimension == 3.0f) {
                    EXPECT_EQ(knot.z, static_cast<float>(line[i].z));
                }
            }
        }
        EXPECT_EQ(index, r.streamlines.size()) << c.name;
        if (c.parameter == Parameter::kNormalized) {
            EXPECT_GT(thinned, 0u) << "no line was thinned";
        }
    }
}

TEST(WriteTraceResult, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    WriteTextFile(dir.file("old.math"), "old");
    TraceResult r = TraceField(test::Uniform(), {});
    ASSERT_TRUE(r.ok);
    std::string error;
    EXPECT_FALSE(WriteTraceResult(r, dir.file("none/out.math"), error));
    EXPECT_NE(error.find(dir.file("none/out.math")), std::string::npos) << error;
    // A streamline no file can hold (a position beyond the float range)
    // is refused, and the file in place stays as it was.
    r.streamlines[0][1].x = 1e300;
    EXPECT_FALSE(WriteTraceResult(r, dir.file("old.math"), error));
    EXPECT_NE(error.find(dir.file("old.math")), std::string::npos) << error;
    EXPECT_EQ(ReadWholeFile(dir.file("old.math")), "old");
}

}  // namespace
}  // namespace vortan::trace
