#include "trace/tracer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "trace/field_sampler.h"
#include "trace_fields.h"

namespace vortan::trace {
namespace {

using test::Nodes;
using test::Sampled;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TraceResult Trace(const VectorField& f, double separation, int width = 0, int height = 0) {
    TraceOptions options;
    options.separation = separation;
    options.width = width;
    options.height = height;
    TraceResult r = TraceField(f, options);
    EXPECT_TRUE(r.ok) << r.error;
    return r;
}

// Fields with known streamlines: an invariant of every streamline, how far it
// may drift (field units), and the critical points that coverage leaves out.
struct FieldCase {
    const char* name;
    VectorField field;
    double (*invariant)(const TracePoint&);
    double drift;
    std::vector<std::pair<double, double>> critical;
};

std::vector<FieldCase> KnownFields() {
    using std::numbers::pi;
    using P = const TracePoint&;
    const VectorField shear =
        Sampled([](double, double y, double) { return test::V(0.2 + y * y, 0); },
                {0, 0.1, 0.15, 0.6, 1.4, 2}, {0, 0.3, 0.31, 0.5, 0.9, 1});
    return {
        {"rotation", test::Rotation(), [](P p) { return std::hypot(p.x, p.y); }, 2.5e-6, {{0, 0}}},
        {"uniform", test::Uniform(), [](P p) { return p.y - 0.5 * p.x; }, 1e-9, {}},
        {"saddle", test::Saddle(), [](P p) { return p.x * p.y; }, 2.5e-6, {{0, 0}}},
        // psi = sin(pi x) sin(pi y), to the interpolation error of the samples.
        {"double gyre",
         test::DoubleGyre(),
         [](P p) { return std::sin(pi * p.x) * std::sin(pi * p.y); },
         1e-4,
         {{0.5, 0.5}, {1.5, 0.5}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
        {"shear on an uneven grid", shear, [](P p) { return p.y; }, 1e-9, {}},
    };
}

TEST(TraceField, StreamlinesFollowTheFieldKeepApartAndCoverThePicture) {
    // Knots keep the test distance (half the separation) from other lines;
    // segments, at most 0.75 test distances long, pass at most 7.3 % closer.
    for (const FieldCase& c : KnownFields()) {
        for (const double separation : {6.0, 16.0}) {
            const TraceResult r = Trace(c.field, separation, 400);
            ASSERT_GT(r.streamlines.size(), 5u) << c.name;
            for (const auto& line : r.streamlines) {
                ASSERT_GE(line.size(), 2u) << c.name;
                for (const TracePoint& p : line)
                    ASSERT_NEAR(c.invariant(p), c.invariant(line.front()), c.drift) << c.name;
            }
            const double test = 0.5 * separation;
            const test::SegmentIndex knots(r, separation, true), segments(r, separation);
            EXPECT_GE(knots.ClosestApproach(r), test * (1 - 1e-9)) << c.name << " " << separation;
            EXPECT_GE(segments.ClosestApproach(r), 0.925 * test) << c.name << " " << separation;
            // Every pixel within 1.5 separations of a line, away from critical points.
            double worst = 0;
            for (double y = 0.5; y < r.header.imageHeight; y += 3)
                for (double x = 0.5; x < r.header.imageWidth; x += 3) {
                    bool nearCritical = false;
                    for (const auto& [cx, cy] : c.critical) {
                        const test::Pixel p = test::ToPixel(r.header, cx, cy);
                        nearCritical |= std::hypot(p.x - x, p.y - y) < 2 * separation;
                    }
                    if (!nearCritical) worst = std::fmax(worst, segments.Nearest({x, y}));
                }
            EXPECT_LE(worst, 1.5 * separation) << c.name << " " << separation;
        }
    }
}

TEST(TraceField, ClosedOrbitsAreJoinedAndTheGyreKeepsToItsSide) {
    // Circles wider than the self-closing distance and inside the square end where they began.
    std::size_t joined = 0;
    for (const auto& line : Trace(test::Rotation(), 12).streamlines) {
        const double radius = std::hypot(line.front().x, line.front().y);
        if (radius * 400 < 12 || radius > 0.99) continue;  // 400 px a unit
        EXPECT_EQ(std::vector<double>({line.front().x, line.front().y, 1.0}),
                  std::vector<double>({line.back().x, line.back().y, line.back().t}))
            << radius;
        ++joined;
    }
    EXPECT_GT(joined, 20u);
    // The double gyre never crosses its separatrix x = 1.
    for (const auto& line : Trace(test::DoubleGyre(), 5).streamlines) {
        bool left = false, right = false;
        for (const TracePoint& p : line) left |= p.x<1 - 1e-9, right |= p.x> 1 + 1e-9;
        EXPECT_FALSE(left && right) << "a line from x = " << line.front().x;
    }
}

TEST(TraceField, HeaderFromTheDomainAndPicture) {
    const VectorField tall =
        Sampled([](double, double, double) { return test::V(0, 1); }, {0, 1e-3}, Nodes(0, 100, 3));
    // field, width and height asked for, width and height written; the default
    // size and the progress step are seen by the command-line test.
    const std::tuple<VectorField, int, int, float, float> cases[] = {
        {test::DoubleGyre(65, 33), 300, 0, 300, 150}, {tall, 0, 0, 800, 16384}};
    for (const auto& [f, width, height, wantWidth, wantHeight] : cases) {
        const TraceResult r = Trace(f, 20, width, height);
        const StreamlineHeader& h = r.header;
        EXPECT_EQ(std::vector<float>({h.imageWidth, h.imageHeight, h.dimension, h.tMax, h.xMin,
                                      h.xMax, h.yMin, h.yMax}),
                  std::vector<float>({wantWidth, wantHeight, 2, 1, float(f.x.front()),
                                      float(f.x.back()), float(f.y.front()), float(f.y.back())}));
    }
}

TEST(TraceField, ParameterKinds) {
    // Uniform flow (1, 0.5) at speed sqrt(1.25); t per unit of length, 0: normalised.
    const std::pair<Parameter, double> cases[] = {{Parameter::kNormalized, 0},
                                                  {Parameter::kLength, 1},
                                                  {Parameter::kTime, 1 / std::sqrt(1.25)}};
    for (const auto& [parameter, perLength] : cases) {
        TraceOptions options;
        options.parameter = parameter;
        const TraceResult r = TraceField(test::Uniform(), options);
        ASSERT_FALSE(r.streamlines.empty());
        double longest = 0;
        for (const auto& line : r.streamlines) {
            const TracePoint& a = line.front();
            EXPECT_EQ(a.t, 0.0);
            const double length = std::hypot(line.back().x - a.x, line.back().y - a.y);
            for (std::size_t i = 1; i < line.size(); ++i) {
                const double along = std::hypot(line[i].x - a.x, line[i].y - a.y);
                ASSERT_NEAR(line[i].t, perLength > 0 ? along * perLength : along / length, 1e-9);
            }
            longest = std::fmax(longest, line.back().t);
        }
        EXPECT_EQ(r.header.tMax, float(perLength > 0 ? longest : 1.0));
    }
}

// A field zero everywhere is left to the command-line test.
TEST(TraceField, MaskedFieldsGiveNoStreamlinesAndANote) {
    const std::pair<void (*)(VectorField&), const char*> cases[] = {
        {[](VectorField& f) { f.u.assign(f.u.size(), kNaN); },
         "the field is zero or masked everywhere: no streamlines"},
        {[](VectorField& f) {  // every other node masked: no cell is whole
             for (std::size_t n = 0; n < f.u.size(); n += 2) f.v[n] = kNaN;
         },
         "no streamline could be traced"}};
    for (const auto& [spoil, note] : cases) {
        VectorField f = test::Rotation(9);
        f.description = "calm.nc";
        spoil(f);
        const TraceResult r = TraceField(f, {});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.streamlines.empty());
        EXPECT_EQ(r.notes, std::vector<std::string>{"calm.nc: " + std::string(note)});
        EXPECT_EQ(r.header.progressStep, 100.0f);
    }
}

TEST(TraceField, MaskedIslandAndCriticalPointsStopStreamlines) {
    // Uniform flow to +x around a masked island: lines end at its edge, never
    // enter it, and fill the lee behind it.
    VectorField f = Sampled([](double, double, double) { return test::V(1, 0); }, Nodes(0, 2, 41),
                            Nodes(0, 1, 21));
    for (std::size_t j = 8; j <= 12; ++j)
        for (std::size_t i = 18; i <= 22; ++i) f.u[f.Index(i, j)] = kNaN;
    const TraceResult r = Trace(f, 8);
    const FieldSampler sampler(f);
    std::size_t endingAtIsland = 0, behindIsland = 0;
    for (const auto& line : r.streamlines) {
        Velocity v;
        for (const TracePoint& p : line) ASSERT_TRUE(sampler.Sample(p.x, p.y, 0, v)) << p.x;
        const TracePoint& end = line.back();
        const bool atIsland = std::fabs(end.x - 0.85) < 0.001 && end.y > 0.35 && end.y < 0.65;
        endingAtIsland += atIsland;
        // Else at the right edge, within 0.01 px.
        EXPECT_NEAR(atIsland ? 2.0 : end.x, 2.0, 2.5e-5) << "a line ending inside at " << end.y;
        behindIsland += line.front().x > 1.1 && line.front().x < 1.2 && end.y > 0.4 && end.y < 0.6;
    }
    EXPECT_GE(endingAtIsland, 5u);
    EXPECT_GE(behindIsland, 5u);
    EXPECT_GT(r.stops[static_cast<std::size_t>(StopReason::kMasked)], 10u);
}

TEST(TraceField, UserSeeds) {
    TraceOptions options;  // the second seed lies beside the first line, the third outside
    options.separation = 10;
    options.seeds = {{0.1, 0.2, 0}, {0.1, 0.2005, 0}, {5, 5, 0}, {1.0, 0.3, 0}};
    const TraceResult r = TraceField(test::Uniform(), options);
    ASSERT_EQ(r.streamlines.size(), 2u) << r.error;
    for (std::size_t i = 0; i < 2; ++i) {
        const SeedPoint& s = options.seeds[i == 0 ? 0 : 3];
        for (const TracePoint& p : r.streamlines[i])
            ASSERT_NEAR(p.y - 0.5 * p.x, s.y - 0.5 * s.x, 1e-9);
    }
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0].rfind("test field: 2 of 4 seeds gave no streamline (", 0), 0u)
        << r.notes[0];
}

TEST(TraceField, ThreeDimensionalFields) {
    // A helix climbing slowly about the z axis: lines follow circles r = const
    // and keep the test distance (30 px) apart in space.
    const VectorField helix =
        Sampled([](double x, double y, double) { return test::V(-y, x, 0.1); }, Nodes(-1, 1, 17),
                Nodes(-1, 1, 17), Nodes(0, 1, 9));
    TraceOptions options;
    options.separation = 60;
    const TraceResult r = TraceField(helix, options);
    ASSERT_GT(r.streamlines.size(), 5u) << r.error;
    EXPECT_EQ(std::vector<float>({r.header.dimension, r.header.zMin, r.header.zMax}),
              std::vector<float>({3, 0, 1}));
    double closest = std::numeric_limits<double>::infinity();
    for (std::size_t a = 0; a < r.streamlines.size(); ++a) {
        const double radius = std::hypot(r.streamlines[a][0].x, r.streamlines[a][0].y);
        for (const TracePoint& p : r.streamlines[a]) {
            ASSERT_NEAR(std::hypot(p.x, p.y), radius, 1e-5);
            for (std::size_t b = a + 1; b < r.streamlines.size(); ++b)  // pixels: 400 a unit, z 800
                for (const TracePoint& q : r.streamlines[b])
                    closest = std::fmin(closest, std::hypot(400 * (p.x - q.x), 400 * (p.y - q.y),
                                                            800 * (p.z - q.z)));
        }
    }
    EXPECT_GE(closest, 30 * 0.999);
}

TEST(TraceField, RefusesBadOptionsAndFields) {
    const std::pair<void (*)(TraceOptions&, VectorField&), const char*> cases[] = {
        {[](TraceOptions& o, VectorField&) { o.separation = 0.1; }, "separation must be"},
        {[](TraceOptions& o, VectorField&) { o.testRatio = 1.5; }, "test ratio"},
        {[](TraceOptions& o, VectorField&) { o.seeds.resize(1), o.seeds[0].x = kNaN; },
         "seed point"},
        {[](TraceOptions& o, VectorField&) { o.separation = 0.5, o.width = o.height = 16384; },
         "separation is too small for the picture"},
        {[](TraceOptions&, VectorField& f) { f.v.clear(); },
         "test field: the components do not have one value per grid node"},
        {[](TraceOptions&, VectorField& f) { f.x[1] = kNaN; },
         "test field: the x axis holds a value that is not a number"},
        {[](TraceOptions&, VectorField& f) { f.x.front() = -1e308, f.x.back() = 1e308; },
         "test field: the x axis spans more than a double"},
        {[](TraceOptions&, VectorField& f) {
             f.dimension = 3;
             f.z = {0, 1};
             f.u.resize(50);
             f.v.resize(50);
         },
         "test field: the w component does not have"},
        {[](TraceOptions&, VectorField& f) { f.x = Nodes(0, 1, 9000), f.y = f.x; },
         "test field: more than 67108864 grid nodes"},
        {[](TraceOptions&, VectorField& f) { f.x.back() = 1e300; },
         "test field: the domain reaches beyond what a streamline file can hold"},
    };
    for (const auto& [spoil, message] : cases) {
        TraceOptions options;
        VectorField f = test::Rotation(5);
        spoil(options, f);
        const TraceResult r = TraceField(f, options);
        EXPECT_FALSE(r.ok) << message;
        EXPECT_NE(r.error.find(message), std::string::npos) << message << ": " << r.error;
        EXPECT_TRUE(r.streamlines.empty());
    }
}

}  // namespace
}  // namespace vortan::trace
