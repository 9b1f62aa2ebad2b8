// Fields with known streamlines for the tracer tests, sampled from formulas
// on uniform (or given) grids, and measurements of traced streamlines in
// picture pixels.
#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#include "field/vector_field.h"
#include "trace/tracer.h"

namespace vortan::trace::test {

using Flow2 = std::function<void(double x, double y, double& u, double& v)>;
using Flow3 = std::function<void(double x, double y, double z, double& u, double& v, double& w)>;

inline std::vector<double> Nodes(double a, double b, std::size_t n) {
    std::vector<double> nodes(n);
    for (std::size_t i = 0; i < n; ++i) nodes[i] = a + (b - a) * double(i) / double(n - 1);
    return nodes;
}

inline VectorField Field2(const Flow2& flow, std::vector<double> x, std::vector<double> y,
                          const std::string& description = "test field") {
    VectorField f;
    f.dimension = 2;
    f.x = std::move(x);
    f.y = std::move(y);
    f.z = {0.0};
    f.description = description;
    for (double yy : f.y) {
        for (double xx : f.x) {
            double u = 0, v = 0;
            flow(xx, yy, u, v);
            f.u.push_back(u);
            f.v.push_back(v);
        }
    }
    return f;
}

inline VectorField Field3(const Flow3& flow, std::vector<double> x, std::vector<double> y,
                          std::vector<double> z) {
    VectorField f;
    f.dimension = 3;
    f.x = std::move(x);
    f.y = std::move(y);
    f.z = std::move(z);
    f.description = "test field";
    for (double zz : f.z) {
        for (double yy : f.y) {
            for (double xx : f.x) {
                double u = 0, v = 0, w = 0;
                flow(xx, yy, zz, u, v, w);
                f.u.push_back(u);
                f.v.push_back(v);
                f.w.push_back(w);
            }
        }
    }
    return f;
}

// Solid-body rotation about the origin on [-1, 1]^2: circles.
inline VectorField Rotation(std::size_t n = 65) {
    return Field2([](double x, double y, double& u, double& v) { u = -y, v = x; }, Nodes(-1, 1, n),
                  Nodes(-1, 1, n));
}
// Uniform flow (1, 0.5) on [0, 2] x [0, 1]: straight lines of slope 0.5.
inline VectorField Uniform() {
    return Field2([](double, double, double& u, double& v) { u = 1.0, v = 0.5; }, Nodes(0, 2, 9),
                  Nodes(0, 1, 5));
}
// The saddle (x, -y) on [-1, 1]^2: hyperbolas x y = const.
inline VectorField Saddle() {
    return Field2([](double x, double y, double& u, double& v) { u = x, v = -y; }, Nodes(-1, 1, 33),
                  Nodes(-1, 1, 33));
}
// The double gyre on [0, 2] x [0, 1], separatrix x = 1 on a grid line.
inline VectorField DoubleGyre(std::size_t nx = 257, std::size_t ny = 129) {
    using std::numbers::pi;
    return Field2(
        [](double x, double y, double& u, double& v) {
            u = -pi * std::sin(pi * x) * std::cos(pi * y);
            v = pi * std::cos(pi * x) * std::sin(pi * y);
        },
        Nodes(0, 2, nx), Nodes(0, 1, ny), "double gyre");
}

// Picture pixels of a field point, as the header maps them.
struct Pixel {
    double x = 0, y = 0;
};
inline Pixel ToPixel(const StreamlineHeader& h, const TracePoint& p) {
    return {(p.x - h.xMin) * h.imageWidth / (h.xMax - h.xMin),
            (p.y - h.yMin) * h.imageHeight / (h.yMax - h.yMin)};
}

inline double SegmentDistance(Pixel p, Pixel a, Pixel b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double s = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    s = std::fmax(0.0, std::fmin(1.0, s));
    return std::hypot(p.x - a.x - s * dx, p.y - a.y - s * dy);
}

// Segments of all streamlines in square buckets, for nearest-line queries.
class SegmentIndex {
  public:
    // pointsOnly: the knots alone, as segments of no length.
    SegmentIndex(const TraceResult& r, double bucket, bool pointsOnly = false) : m_bucket(bucket) {
        for (std::size_t l = 0; l < r.streamlines.size(); ++l) {
            const auto& line = r.streamlines[l];
            for (std::size_t i = 0; i + (pointsOnly ? 0 : 1) < line.size(); ++i) {
                const Pixel a = ToPixel(r.header, line[i]);
                const Pixel b = pointsOnly ? a : ToPixel(r.header, line[i + 1]);
                m_segments.push_back({a, b, l});
                const Pixel mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
                m_buckets[Key(mid)].push_back(m_segments.size() - 1);
            }
        }
    }
    // Nearest segment not of line `skip` within about `reach` (<= bucket).
    double Nearest(Pixel p, std::size_t skip = std::numeric_limits<std::size_t>::max()) const {
        double best = std::numeric_limits<double>::infinity();
        const long bx = long(std::floor(p.x / m_bucket)), by = long(std::floor(p.y / m_bucket));
        for (long j = by - 2; j <= by + 2; ++j) {
            for (long i = bx - 2; i <= bx + 2; ++i) {
                const auto it = m_buckets.find(Pack(i, j));
                if (it == m_buckets.end()) continue;
                for (std::size_t s : it->second) {
                    if (m_segments[s].line == skip) continue;
                    best = std::fmin(best, SegmentDistance(p, m_segments[s].a, m_segments[s].b));
                }
            }
        }
        return best;
    }

  private:
    struct Segment {
        Pixel a, b;
        std::size_t line;
    };
    static long long Pack(long i, long j) {
        return (static_cast<long long>(i) << 32) ^ (j & 0xffffffff);
    }
    long long Key(Pixel p) const {
        return Pack(long(std::floor(p.x / m_bucket)), long(std::floor(p.y / m_bucket)));
    }
    double m_bucket;
    std::vector<Segment> m_segments;
    std::unordered_map<long long, std::vector<std::size_t>> m_buckets;
};

// Smallest distance, in pixels, from a point of one streamline to another
// streamline (or to its points).
inline double ClosestApproach(const TraceResult& r, double bucket, bool pointsOnly = false) {
    SegmentIndex index(r, bucket, pointsOnly);
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t l = 0; l < r.streamlines.size(); ++l) {
        for (const TracePoint& p : r.streamlines[l]) {
            best = std::fmin(best, index.Nearest(ToPixel(r.header, p), l));
        }
    }
    return best;
}

}  // namespace vortan::trace::test
