#include "trace/tracer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

#include "trace/field_sampler.h"
#include "trace_fields.h"

namespace vortan::trace {
namespace {

using test::ClosestApproach;
using test::Field2;
using test::Field3;
using test::Nodes;
using test::Pixel;
using test::SegmentIndex;
using test::ToPixel;

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

// A ring of radius r (pixels) around each critical point is left out of the
// coverage test: streamlines cannot reach into it.
struct Critical {
    double x, y;
};

// Fields with known streamlines, traced evenly spaced: the invariants of
// their streamlines, the separation and the coverage of the picture.
struct FieldCase {
    const char* name;
    VectorField field;
    double (*invariant)(const TracePoint&);  // constant along every streamline
    double drift;  // how far it may move, field units: the tolerance (1e-3 px, 2.5e-6 units)
    std::vector<Critical> critical;
};

std::vector<FieldCase> KnownFields() {
    using std::numbers::pi;
    return {
        {"rotation",
         test::Rotation(),
         [](const TracePoint& p) { return std::hypot(p.x, p.y); },
         2.5e-6,
         {{0, 0}}},
        {"uniform", test::Uniform(), [](const TracePoint& p) { return p.y - 0.5 * p.x; }, 1e-9, {}},
        {"saddle", test::Saddle(), [](const TracePoint& p) { return p.x * p.y; }, 2.5e-6, {{0, 0}}},
        // psi = sin(pi x) sin(pi y) is constant along the exact streamlines;
        // the sampled field follows it to the interpolation error.
        {"double gyre",
         test::DoubleGyre(),
         [](const TracePoint& p) { return std::sin(pi * p.x) * std::sin(pi * p.y); },
         1e-4,
         {{0.5, 0.5}, {1.5, 0.5}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
        {"shear on an uneven grid",
         Field2([](double, double y, double& u, double& v) { u = 0.2 + y * y, v = 0; },
                {0, 0.1, 0.15, 0.6, 1.4, 2}, {0, 0.3, 0.31, 0.5, 0.9, 1}),
         [](const TracePoint& p) { return p.y; },
         1e-9,
         {}},
    };
}

TEST(TraceField, StreamlinesFollowTheField) {
    for (const FieldCase& c : KnownFields()) {
        const TraceResult r = Trace(c.field, 10);
        ASSERT_GT(r.streamlines.size(), 10u) << c.name;
        for (const auto& line : r.streamlines) {
            ASSERT_GE(line.size(), 2u) << c.name;
            const double expected = c.invariant(line.front());
            for (const TracePoint& p : line) {
                ASSERT_NEAR(c.invariant(p), expected, c.drift)
                    << c.name << " at " << p.x << ", " << p.y;
            }
        }
    }
}

TEST(TraceField, StreamlinesKeepApartAndCoverThePicture) {
    // Separations in pixels for pictures of 400 across; the test distance is
    // half of it. Points keep the test distance to other lines' points; the
    // segments between them, at most 0.75 test distances long, can pass at
    // most 1 - sqrt(1 - 0.375^2), about 7.3 %, closer.
    for (const FieldCase& c : KnownFields()) {
        for (const double separation : {6.0, 16.0}) {
            const TraceResult r = Trace(c.field, separation, 400);
            const double test = 0.5 * separation;
            EXPECT_GE(ClosestApproach(r, separation, true), test * (1 - 1e-9))
                << c.name << " " << separation;
            EXPECT_GE(ClosestApproach(r, separation), 0.925 * test) << c.name << " " << separation;

            // Coverage: every pixel centre within 1.5 separations of a line,
            // away from the critical points.
            const SegmentIndex index(r, separation);
            double worst = 0;
            for (double y = 0.5; y < r.header.imageHeight; y += 3) {
                for (double x = 0.5; x < r.header.imageWidth; x += 3) {
                    bool nearCritical = false;
                    for (const Critical& k : c.critical) {
                        const Pixel p = ToPixel(r.header, {0, k.x, k.y, 0});
                        nearCritical |= std::hypot(p.x - x, p.y - y) < 2 * separation;
                    }
                    if (!nearCritical) worst = std::fmax(worst, index.Nearest({x, y}));
                }
            }
            EXPECT_LE(worst, 1.5 * separation) << c.name << " " << separation;
        }
    }
}

TEST(TraceField, ClosedOrbitsAreJoinedAtTheirSeed) {
    // Rotation: every circle wider than the self-closing distance (two
    // separations along it) and inside the square ends where it began.
    const TraceResult r = Trace(test::Rotation(), 12);
    std::size_t joined = 0;
    for (const auto& line : r.streamlines) {
        const double radius = std::hypot(line.front().x, line.front().y);
        if (radius * 400 < 12 || radius > 0.99) continue;  // 400 px a unit; inside the square
        EXPECT_EQ(line.front().x, line.back().x) << radius;
        EXPECT_EQ(line.front().y, line.back().y) << radius;
        EXPECT_EQ(line.back().t, 1.0);
        ++joined;
    }
    EXPECT_GT(joined, 20u);
}

TEST(TraceField, DoubleGyreNeverCrossesItsSeparatrix) {
    for (const double separation : {5.0, 12.0}) {
        const TraceResult r = Trace(test::DoubleGyre(), separation);
        ASSERT_FALSE(r.streamlines.empty());
        for (const auto& line : r.streamlines) {
            bool left = false, right = false;
            for (const TracePoint& p : line) {
                left |= p.x < 1 - 1e-9;
                right |= p.x > 1 + 1e-9;
            }
            EXPECT_FALSE(left && right) << "a line from x = " << line.front().x;
        }
    }
}

TEST(TraceField, HeaderFromTheDomainAndPicture) {
    struct Case {
        const char* name;
        VectorField field;
        int width, height;
        float wantWidth, wantHeight;
    };
    const Case cases[] = {
        {"2 x 1 domain", test::DoubleGyre(65, 33), 0, 0, 800, 400},
        {"square domain", test::Rotation(), 0, 0, 800, 800},
        {"width given", test::DoubleGyre(65, 33), 300, 0, 300, 150},
        {"size given", test::DoubleGyre(65, 33), 640, 480, 640, 480},
        {"tall domain, clamped",
         Field2([](double, double, double& u, double& v) { u = 0, v = 1; }, {0, 1e-3},
                Nodes(0, 100, 3)),
         0, 0, 800, 16384},
    };
    for (const Case& c : cases) {
        const TraceResult r = Trace(c.field, 20, c.width, c.height);
        const StreamlineHeader& h = r.header;
        EXPECT_EQ(h.imageWidth, c.wantWidth) << c.name;
        EXPECT_EQ(h.imageHeight, c.wantHeight) << c.name;
        EXPECT_EQ(h.dimension, 2.0f);
        EXPECT_EQ(h.tMax, 1.0f);
        EXPECT_EQ(h.xMin, float(c.field.x.front()));
        EXPECT_EQ(h.xMax, float(c.field.x.back()));
        EXPECT_EQ(h.yMin, float(c.field.y.front()));
        EXPECT_EQ(h.yMax, float(c.field.y.back()));
        ASSERT_FALSE(r.streamlines.empty()) << c.name;
        EXPECT_FLOAT_EQ(h.progressStep, 100.0f / float(r.streamlines.size())) << c.name;
    }
}

TEST(TraceField, ParameterKinds) {
    // Uniform flow (1, 0.5): every line is straight, speed sqrt(1.25).
    struct Case {
        Parameter parameter;
        double perLength;  // t per field unit of length; 0: normalised
    };
    const Case cases[] = {{Parameter::kNormalized, 0},
                          {Parameter::kLength, 1},
                          {Parameter::kTime, 1 / std::sqrt(1.25)}};
    for (const Case& c : cases) {
        TraceOptions options;
        options.parameter = c.parameter;
        const TraceResult r = TraceField(test::Uniform(), options);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_FALSE(r.streamlines.empty());
        double longest = 0;
        for (const auto& line : r.streamlines) {
            const TracePoint& a = line.front();
            EXPECT_EQ(a.t, 0.0);
            const double length = std::hypot(line.back().x - a.x, line.back().y - a.y);
            for (std::size_t i = 1; i < line.size(); ++i) {
                ASSERT_GT(line[i].t, line[i - 1].t);
                const double along = std::hypot(line[i].x - a.x, line[i].y - a.y);
                const double want = c.perLength > 0 ? along * c.perLength : along / length;
                ASSERT_NEAR(line[i].t, want, 1e-9);
            }
            longest = std::fmax(longest, line.back().t);
        }
        EXPECT_EQ(r.header.tMax, float(c.perLength > 0 ? longest : 1.0));
    }
}

TEST(TraceField, EmptyOrMaskedFieldsGiveNoStreamlinesAndANote) {
    struct Case {
        const char* name;
        void (*spoil)(VectorField&);
    };
    const Case cases[] = {
        {"zero",
         [](VectorField& f) {
             std::fill(f.u.begin(), f.u.end(), 0.0), std::fill(f.v.begin(), f.v.end(), 0.0);
         }},
        {"all masked", [](VectorField& f) { std::fill(f.u.begin(), f.u.end(), kNaN); }},
        {"every other node masked",
         [](VectorField& f) {
             for (std::size_t n = 0; n < f.u.size(); n += 2) f.v[n] = kNaN;
         }},
    };
    for (const Case& c : cases) {
        VectorField f = test::Rotation(9);
        f.description = "calm.nc";
        c.spoil(f);
        const TraceResult r = TraceField(f, {});
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        EXPECT_TRUE(r.streamlines.empty()) << c.name;
        ASSERT_EQ(r.notes.size(), 1u) << c.name;
        EXPECT_EQ(r.notes[0].rfind("calm.nc: ", 0), 0u) << r.notes[0];
        EXPECT_NE(r.notes[0].find("no streamline"), std::string::npos) << r.notes[0];
        EXPECT_EQ(r.header.imageWidth, 800.0f);
        EXPECT_EQ(r.header.progressStep, 100.0f);
    }
}

TEST(TraceField, MaskedIslandAndCriticalPointsStopStreamlines) {
    // Uniform flow to +x around a masked square island in the middle; lines
    // end at its edge and never enter it, and lines still fill both sides.
    VectorField f = Field2([](double, double, double& u, double& v) { u = 1, v = 0; },
                           Nodes(0, 2, 41), Nodes(0, 1, 21));
    for (std::size_t j = 8; j <= 12; ++j) {
        for (std::size_t i = 18; i <= 22; ++i) f.u[f.Index(i, j)] = kNaN;
    }
    const TraceResult r = Trace(f, 8);
    const FieldSampler sampler(f);
    std::size_t endingAtIsland = 0, behindIsland = 0;
    for (const auto& line : r.streamlines) {
        for (const TracePoint& p : line) {
            Velocity v;
            ASSERT_TRUE(sampler.Sample(p.x, p.y, 0, v)) << p.x << ", " << p.y;
        }
        const TracePoint& end = line.back();
        endingAtIsland += std::fabs(end.x - 0.85) < 0.001 && end.y > 0.35 && end.y < 0.65;
        behindIsland += line.front().x > 1.1 && line.front().x < 1.2 && end.y > 0.4 && end.y < 0.6;
    }
    EXPECT_GE(endingAtIsland, 5u);
    EXPECT_GE(behindIsland, 5u);
    EXPECT_GT(r.stops[static_cast<std::size_t>(StopReason::kMasked)], 10u);

    // A source at the centre: every line runs out of it or stops beside
    // another, and the critical point ends some.
    const VectorField source =
        Field2([](double x, double y, double& u, double& v) { u = x, v = y; }, Nodes(-1, 1, 17),
               Nodes(-1, 1, 17));
    const TraceResult s = Trace(source, 10);
    EXPECT_GT(s.stops[static_cast<std::size_t>(StopReason::kCritical)], 0u);
    for (const auto& line : s.streamlines) {
        const double a = std::atan2(line.front().y, line.front().x);
        for (const TracePoint& p : line)
            ASSERT_NEAR(std::remainder(std::atan2(p.y, p.x) - a, 2 * std::numbers::pi), 0, 1e-6);
    }
}

TEST(TraceField, UserSeeds) {
    TraceOptions options;
    options.separation = 10;
    options.seeds = {{0.1, 0.2, 0}, {0.1, 0.2005, 0}, {5, 5, 0}, {1.0, 0.3, 0}};
    const TraceResult r = TraceField(test::Uniform(), options);
    ASSERT_TRUE(r.ok) << r.error;
    // The second seed lies beside the first line, the third outside.
    ASSERT_EQ(r.streamlines.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const SeedPoint& s = options.seeds[i == 0 ? 0 : 3];
        for (const TracePoint& p : r.streamlines[i])
            ASSERT_NEAR(p.y - 0.5 * p.x, s.y - 0.5 * s.x, 1e-9);
    }
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("2 of 4 seeds gave no streamline"), std::string::npos) << r.notes[0];
}

TEST(TraceField, ThreeDimensionalFields) {
    // A helix around the z axis climbing slowly, on a box; seeds on a
    // jittered grid. Lines keep the test distance apart in space and follow
    // circles r = const.
    const VectorField helix = Field3(
        [](double x, double y, double, double& u, double& v, double& w) { u = -y, v = x, w = 0.1; },
        Nodes(-1, 1, 17), Nodes(-1, 1, 17), Nodes(0, 1, 9));
    TraceOptions options;
    options.separation = 60;
    const TraceResult r = TraceField(helix, options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.header.dimension, 3.0f);
    EXPECT_EQ(r.header.zMin, 0.0f);
    EXPECT_EQ(r.header.zMax, 1.0f);
    ASSERT_GT(r.streamlines.size(), 5u);
    // Pixels: x and y span the 800 x 800 picture, z its height.
    auto pixel = [](const TracePoint& p) {
        return std::array<double, 3>{(p.x + 1) * 400, (p.y + 1) * 400, p.z * 800};
    };
    std::map<std::array<long, 3>, std::vector<std::pair<std::size_t, std::array<double, 3>>>> cells;
    for (std::size_t a = 0; a < r.streamlines.size(); ++a) {
        const double radius = std::hypot(r.streamlines[a][0].x, r.streamlines[a][0].y);
        for (const TracePoint& p : r.streamlines[a]) {
            ASSERT_NEAR(std::hypot(p.x, p.y), radius, 1e-5);
            const auto q = pixel(p);
            cells[{long(q[0] / 30), long(q[1] / 30), long(q[2] / 30)}].push_back({a, q});
        }
    }
    double closest = std::numeric_limits<double>::infinity();
    for (const auto& [key, points] : cells) {
        for (long i = -1; i <= 1; ++i) {
            for (long j = -1; j <= 1; ++j) {
                for (long k = -1; k <= 1; ++k) {
                    const auto other = cells.find({key[0] + i, key[1] + j, key[2] + k});
                    if (other == cells.end()) continue;
                    for (const auto& [a, p] : points) {
                        for (const auto& [b, q] : other->second) {
                            if (a == b) continue;
                            closest = std::fmin(closest,
                                                std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
                        }
                    }
                }
            }
        }
    }
    EXPECT_GE(closest, 30 * 0.999);
    // The same field traces to the same lines every time.
    const TraceResult again = TraceField(helix, options);
    ASSERT_EQ(again.streamlines.size(), r.streamlines.size());
    EXPECT_EQ(again.streamlines.back().back().x, r.streamlines.back().back().x);
}

TEST(TraceField, RefusesBadOptionsAndFields) {
    struct Case {
        const char* name;
        void (*spoil)(TraceOptions&, VectorField&);
        const char* message;
    };
    const Case cases[] = {
        {"separation too small", [](TraceOptions& o, VectorField&) { o.separation = 0.1; },
         "separation must be"},
        {"separation NaN", [](TraceOptions& o, VectorField&) { o.separation = kNaN; },
         "separation must be"},
        {"test ratio 0", [](TraceOptions& o, VectorField&) { o.testRatio = 0; }, "test ratio"},
        {"test ratio above 1", [](TraceOptions& o, VectorField&) { o.testRatio = 1.5; },
         "test ratio"},
        {"tolerance 0", [](TraceOptions& o, VectorField&) { o.tolerance = 0; }, "tolerance"},
        {"width too large", [](TraceOptions& o, VectorField&) { o.width = 20000; }, "picture size"},
        {"seed not finite",
         [](TraceOptions& o, VectorField&) {
             o.seeds = {{kNaN, 0, 0}};
         },
         "seed point"},
        {"grid too fine",
         [](TraceOptions& o, VectorField&) { o.separation = 0.5, o.width = o.height = 16384; },
         "separation is too small for the picture"},
        {"bad field", [](TraceOptions&, VectorField& f) { f.v.clear(); },
         "one value per grid node"},
        {"domain beyond float", [](TraceOptions&, VectorField& f) { f.x.back() = 1e300; },
         "beyond what a streamline file can hold"},
    };
    for (const Case& c : cases) {
        TraceOptions options;
        VectorField f = test::Rotation(5);
        c.spoil(options, f);
        const TraceResult r = TraceField(f, options);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_NE(r.error.find(c.message), std::string::npos) << c.name << ": " << r.error;
        EXPECT_TRUE(r.streamlines.empty());
    }
    Parameter p = Parameter::kTime;
    EXPECT_TRUE(ParseParameter("length", p));
    EXPECT_EQ(p, Parameter::kLength);
    EXPECT_FALSE(ParseParameter("Time", p));
    EXPECT_EQ(p, Parameter::kLength);
}

}  // namespace
}  // namespace vortan::trace
