// Fields with known streamlines for the tracer tests, sampled from formulas,
// and the distances between traced streamlines in picture pixels.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "field/vector_field.h"
#include "trace/tracer.h"

namespace vortan::trace::test {

// The velocity u, v, w at x, y, z.
using Flow = std::function<std::array<double, 3>(double x, double y, double z)>;
inline std::array<double, 3> V(double u, double v, double w = 0) {
    return {u, v, w};
}

inline std::vector<double> Nodes(double a, double b, std::size_t n) {
    std::vector<double> nodes(n);
    for (std::size_t i = 0; i < n; ++i) nodes[i] = a + (b - a) * double(i) / double(n - 1);
    return nodes;
}

// The flow sampled at the nodes; z = {0} gives a 2-D field (w unused).
inline VectorField Sampled(const Flow& flow, std::vector<double> x, std::vector<double> y,
                           std::vector<double> z = {0.0}) {
    VectorField f;
    f.dimension = z.size() > 1 ? 3 : 2;
    f.x = std::move(x);
    f.y = std::move(y);
    f.z = std::move(z);
    f.description = "test field";
    for (double zz : f.z)
        for (double yy : f.y)
            for (double xx : f.x) {
                const auto [u, v, w] = flow(xx, yy, zz);
                f.u.push_back(u);
                f.v.push_back(v);
                if (f.dimension == 3) f.w.push_back(w);
            }
    return f;
}

// Solid-body rotation on [-1, 1]^2: circles.
inline VectorField Rotation(std::size_t n = 65) {
    return Sampled([](double x, double y, double) { return V(-y, x); }, Nodes(-1, 1, n),
                   Nodes(-1, 1, n));
}
// Uniform flow (1, 0.5) on [0, 2] x [0, 1]: lines of slope 0.5.
inline VectorField Uniform() {
    return Sampled([](double, double, double) { return V(1, 0.5); }, Nodes(0, 2, 9),
                   Nodes(0, 1, 5));
}
// The saddle (x, -y) on [-1, 1]^2: hyperbolas x y = const.
inline VectorField Saddle() {
    return Sampled([](double x, double y, double) { return V(x, -y); }, Nodes(-1, 1, 33),
                   Nodes(-1, 1, 33));
}
// The double gyre on [0, 2] x [0, 1], its separatrix x = 1 on a grid line.
inline VectorField DoubleGyre(std::size_t nx = 257, std::size_t ny = 129) {
    using std::numbers::pi;
    return Sampled(
        [](double x, double y, double) {
            return V(-pi * std::sin(pi * x) * std::cos(pi * y),
                     pi * std::cos(pi * x) * std::sin(pi * y));
        },
        Nodes(0, 2, nx), Nodes(0, 1, ny));
}

struct Pixel {
    double x = 0, y = 0;
};
inline Pixel ToPixel(const StreamlineHeader& h, double x, double y) {
    return {(x - h.xMin) * h.imageWidth / (h.xMax - h.xMin),
            (y - h.yMin) * h.imageHeight / (h.yMax - h.yMin)};
}

// The segments of all streamlines (or their knots alone) in square buckets,
// for nearest-line queries within about one bucket.
class SegmentIndex {
  public:
    SegmentIndex(const TraceResult& r, double bucket, bool knotsOnly = false) : m_bucket(bucket) {
        for (std::size_t l = 0; l < r.streamlines.size(); ++l)
            for (std::size_t i = 0; i + (knotsOnly ? 0 : 1) < r.streamlines[l].size(); ++i) {
                const auto& line = r.streamlines[l];
                const Pixel a = ToPixel(r.header, line[i].x, line[i].y);
                const Pixel b = knotsOnly ? a : ToPixel(r.header, line[i + 1].x, line[i + 1].y);
                m_buckets[Key(a.x, a.y)].push_back({a, b, l});
            }
    }
    // Distance from p to the nearest segment not of line skip.
    double Nearest(Pixel p, std::size_t skip = std::numeric_limits<std::size_t>::max()) const {
        double best = std::numeric_limits<double>::infinity();
        const auto [bx, by] = Key(p.x, p.y);
        for (long j = by - 2; j <= by + 2; ++j)
            for (long i = bx - 2; i <= bx + 2; ++i) {
                const auto it = m_buckets.find({i, j});
                if (it == m_buckets.end()) continue;
                for (const Segment& s : it->second) {
                    if (s.line == skip) continue;
                    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y, len2 = dx * dx + dy * dy;
                    const double f = ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / len2;
                    const double c = len2 > 0 ? std::clamp(f, 0.0, 1.0) : 0;
                    best = std::fmin(best, std::hypot(p.x - s.a.x - c * dx, p.y - s.a.y - c * dy));
                }
            }
        return best;
    }
    // Smallest distance from a knot of one streamline to another streamline.
    double ClosestApproach(const TraceResult& r) const {
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t l = 0; l < r.streamlines.size(); ++l)
            for (const TracePoint& p : r.streamlines[l])
                best = std::fmin(best, Nearest(ToPixel(r.header, p.x, p.y), l));
        return best;
    }

  private:
    struct Segment {
        Pixel a, b;
        std::size_t line;
    };
    std::pair<long, long> Key(double x, double y) const {
        return {long(std::floor(x / m_bucket)), long(std::floor(y / m_bucket))};
    }
    double m_bucket;
    std::map<std::pair<long, long>, std::vector<Segment>> m_buckets;
};

}  // namespace vortan::trace::test
