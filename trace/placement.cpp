#include "trace/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace vortan::trace {

namespace {

// A seed one separation from its line's point must not fail the clearance
// test on rounding alone.
constexpr double kSeedSlack = 0.999;
// The fallback scan of the picture looks at candidates this fraction of a
// separation apart.
constexpr double kScanSpacing = 0.5;

// splitmix64: a small generator whose sequence is the same on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  private:
    std::uint64_t m_state;
};

}  // namespace

Placer::Placer(const StreamlineGrower& grower, PointGrid& grid, const PlacementSettings& settings)
    : m_grower(grower), m_grid(grid), m_settings(settings) {}

bool Placer::TryLine(double px, double py, double pz, double clearance) {
    if (m_result.points >= m_settings.maxPoints) {
        m_result.truncated = true;
        return false;
    }
    if (!m_grid.IsFree(px, py, pz, clearance)) return false;
    StopReason why = StopReason::kDomain;
    if (!m_grower.CanStart(px, py, pz, why)) return false;

    const auto id = static_cast<std::uint32_t>(m_result.lines.size());
    const TracedPoint seed{px, py, pz, 0.0, 0.0, 0.0};
    m_grid.Add({px, py, pz, 0.0, id});
    std::vector<TracedPoint> forward, backward;
    double closedAt = 0.0;
    const StopReason ahead = m_grower.Grow(seed, +1, id, m_grid, forward, &closedAt);
    StopReason behind = StopReason::kClosed;
    if (ahead == StopReason::kClosed && closedAt <= m_settings.testDistance &&
        forward.size() >= 2) {
        // Back where it started: a closed orbit. Join its ends.
        const TracedPoint& last = forward.back();
        const TracedPoint& before = forward[forward.size() - 2];
        const double gap =
            std::sqrt((last.px - px) * (last.px - px) + (last.py - py) * (last.py - py) +
                      (last.pz - pz) * (last.pz - pz));
        const double per = gap / (last.arc - before.arc);
        forward.push_back({px, py, pz, last.time + per * (last.time - before.time),
                           last.length + per * (last.length - before.length), last.arc + gap});
    } else {
        behind = m_grower.Grow(seed, -1, id, m_grid, backward);
    }
    const double length = (forward.empty() ? 0.0 : forward.back().arc) -
                          (backward.empty() ? 0.0 : backward.back().arc);
    if (forward.size() + backward.size() < 1 || length < m_settings.minLength) {
        m_grid.RemoveLastLine();
        return false;
    }
    std::vector<TracedPoint> line(backward.rbegin(), backward.rend());
    line.push_back(seed);
    line.insert(line.end(), forward.begin(), forward.end());
    m_result.points += line.size();
    ++m_result.stops[static_cast<std::size_t>(ahead)];
    ++m_result.stops[static_cast<std::size_t>(behind)];
    m_result.lines.push_back(std::move(line));
    return true;
}

void Placer::SeedBeside(std::size_t index) {
    const double d = m_settings.separation;
    // Copy the points: TryLine adds lines and may move the vector's storage.
    const std::vector<TracedPoint> line = m_result.lines[index];
    // Candidates about every half test distance along the line: closer
    // ones would mostly fail the clearance test of their neighbours.
    double last = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i].arc - last < 0.5 * m_settings.testDistance && i + 1 < line.size()) continue;
        last = line[i].arc;
        const TracedPoint& a = line[i > 0 ? i - 1 : 0];
        const TracedPoint& b = line[i + 1 < line.size() ? i + 1 : i];
        const double tx = b.px - a.px, ty = b.py - a.py;
        const double norm = std::hypot(tx, ty);
        if (!(norm > 0.0)) continue;
        const double nx = -ty / norm, ny = tx / norm;
        for (const double side : {1.0, -1.0}) {
            TryLine(line[i].px + side * d * nx, line[i].py + side * d * ny, 0.0, d * kSeedSlack);
        }
    }
}

void Placer::EvenlySpaced2D() {
    const PixelFrame& frame = m_grower.Frame();
    const double d = m_settings.separation;
    std::size_t next = 0;  // lines before this one have had their seeds tried
    auto grow = [&] {
        while (next < m_result.lines.size() && !m_result.truncated) SeedBeside(next++);
    };
    if (TryLine(frame.width / 2, frame.height / 2, 0.0, d)) grow();
    // What seeds beside lines cannot reach (regions cut off by masks and
    // critical points, or never touched): a scan of the whole picture.
    const double step = d * kScanSpacing;
    for (double y = step / 2; y < frame.height && !m_result.truncated; y += step) {
        for (double x = step / 2; x < frame.width && !m_result.truncated; x += step) {
            if (TryLine(x, y, 0.0, d)) grow();
        }
    }
}

void Placer::Jittered3D() {
    const PixelFrame& frame = m_grower.Frame();
    const double d = m_settings.separation;
    const auto cells = [d](double extent) {
        return static_cast<std::size_t>(std::max(1.0, std::ceil(extent / d)));
    };
    const std::size_t nx = cells(frame.width), ny = cells(frame.height), nz = cells(frame.depth);
    // Visit the cells in a random order so that no corner of the box is
    // favoured; one jittered seed in each.
    std::vector<std::uint32_t> order(nx * ny * nz);
    std::iota(order.begin(), order.end(), 0u);
    Random random(m_settings.jitterSeed);
    for (std::size_t i = order.size(); i > 1; --i) {
        std::swap(order[i - 1], order[static_cast<std::size_t>(random.Next() % i)]);
    }
    for (const std::uint32_t cell : order) {
        if (m_result.truncated) break;
        const std::size_t i = cell % nx, j = (cell / nx) % ny, k = cell / (nx * ny);
        const double px = std::min((static_cast<double>(i) + random.Unit()) * d, frame.width);
        const double py = std::min((static_cast<double>(j) + random.Unit()) * d, frame.height);
        const double pz = std::min((static_cast<double>(k) + random.Unit()) * d, frame.depth);
        TryLine(px, py, pz, d);
    }
}

std::size_t Placer::FromSeeds(const std::vector<std::array<double, 3>>& seeds) {
    std::size_t traced = 0;
    for (const auto& s : seeds) {
        if (m_result.truncated) break;
        if (TryLine(s[0], s[1], s[2], m_settings.testDistance)) ++traced;
    }
    return traced;
}

}  // namespace vortan::trace
