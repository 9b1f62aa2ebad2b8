#include "trace/tracer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "trace/field_sampler.h"
#include "trace/placement.h"
#include "trace/point_grid.h"

namespace vortan::trace {

namespace {

// Longest streamline, each way from its seed, in picture perimeters.
constexpr double kMaxLengthPerimeters = 5.0;
// Own points nearer than this many separations along a streamline never
// stop it (they are its own recent past, not a loop closing).
constexpr double kSelfArcSeparations = 2.0;

bool FitsFloat(double v) {
    return std::isfinite(v) && std::fabs(v) <= FLT_MAX;
}

double TopPixelSpeed(const VectorField& field, const PixelFrame& frame) {
    double top = 0.0;
    for (std::size_t n = 0; n < field.Nodes(); ++n) {
        const double u = field.u[n] * frame.sx, v = field.v[n] * frame.sy;
        const double w = field.dimension == 3 ? field.w[n] * frame.sz : 0.0;
        const double speed = std::sqrt(u * u + v * v + w * w);
        if (std::isfinite(speed)) top = std::max(top, speed);
    }
    return top;
}

// The picture: as given, or kDefaultPictureWidth across with the domain's aspect.
void PictureSize(const VectorField& field, const TraceOptions& options, int& width, int& height) {
    width = options.width > 0 ? options.width : kDefaultPictureWidth;
    if (options.height > 0) {
        height = options.height;
        return;
    }
    const double aspect = (field.y.back() - field.y.front()) / (field.x.back() - field.x.front());
    const double h = std::round(width * aspect);
    height = static_cast<int>(std::clamp(h, 1.0, static_cast<double>(kMaxPictureSide)));
}

double ParameterOf(const TracedPoint& p, const TracedPoint& first, Parameter parameter) {
    switch (parameter) {
        case Parameter::kTime:
            return p.time - first.time;
        case Parameter::kLength:
            return p.length - first.length;
        case Parameter::kNormalized:
            break;
    }
    return p.arc - first.arc;
}

}  // namespace

bool ParseParameter(const std::string& text, Parameter& parameter) {
    if (text == "normalized") {
        parameter = Parameter::kNormalized;
    } else if (text == "time") {
        parameter = Parameter::kTime;
    } else if (text == "length") {
        parameter = Parameter::kLength;
    } else {
        return false;
    }
    return true;
}

bool CheckTraceOptions(const TraceOptions& options, std::string& error) {
    if (options.separation != 0.0 &&
        !(options.separation >= kMinSeparation && options.separation <= kMaxPictureSide)) {
        error = "the separation must be between " + std::to_string(kMinSeparation) + " and " +
                std::to_string(kMaxPictureSide) + " pixels";
        return false;
    }
    if (!(options.testRatio > 0.0 && options.testRatio <= 1.0)) {
        error = "the test ratio must be above 0 and at most 1";
        return false;
    }
    if (!(options.tolerance >= 1e-9 && options.tolerance <= 10.0)) {
        error = "the tolerance must be between 1e-9 and 10 pixels";
        return false;
    }
    if (options.width < 0 || options.width > kMaxPictureSide || options.height < 0 ||
        options.height > kMaxPictureSide) {
        error = "the picture size must be between 1 and " + std::to_string(kMaxPictureSide) +
                " pixels a side";
        return false;
    }
    for (const SeedPoint& s : options.seeds) {
        if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.z)) {
            error = "a seed point is not a finite number";
            return false;
        }
    }
    return true;
}

TraceResult TraceField(const VectorField& field, const TraceOptions& options) {
    TraceResult result;
    if (!CheckField(field, result.error) || !CheckTraceOptions(options, result.error)) {
        return result;
    }
    const bool solid = field.dimension == 3;
    const std::string name = field.description.empty() ? "the field" : field.description;
    for (const double bound : {field.x.front(), field.x.back(), field.y.front(), field.y.back(),
                               field.z.front(), field.z.back()}) {
        if (!FitsFloat(bound)) {
            result.error = name + ": the domain reaches beyond what a streamline file can hold";
            return result;
        }
    }

    int width = 0, height = 0;
    PictureSize(field, options, width, height);
    PixelFrame frame;
    frame.xMin = field.x.front();
    frame.yMin = field.y.front();
    frame.zMin = field.z.front();
    frame.width = width;
    frame.height = height;
    frame.sx = width / (field.x.back() - field.x.front());
    frame.sy = height / (field.y.back() - field.y.front());
    if (solid) {
        // z is drawn upright whenever it is shown (x-z and y-z pictures), so
        // it spans the picture's height.
        frame.depth = height;
        frame.sz = height / (field.z.back() - field.z.front());
    }

    const double separation = options.separation > 0.0
                                  ? options.separation
                                  : (solid ? kDefaultSeparation3D : kDefaultSeparation2D);
    PlacementSettings settings;
    settings.separation = separation;
    settings.testDistance = options.testRatio * separation;
    settings.minLength = settings.testDistance;
    settings.maxPoints = kMaxTracePoints;

    GrowthLimits limits;
    limits.testDistance = settings.testDistance;
    limits.maxStep = std::max(0.05, 0.75 * settings.testDistance);
    limits.tolerance = options.tolerance;
    limits.maxLength = kMaxLengthPerimeters * (frame.width + frame.height + frame.depth);
    limits.selfArc = kSelfArcSeparations * separation;
    const double top = TopPixelSpeed(field, frame);
    limits.minSpeed = kCriticalFraction * top;

    PointGrid grid;
    if (!grid.Reset(separation, frame.width, frame.height, frame.depth, result.error)) {
        result.error = name + ": " + result.error;
        return result;
    }

    result.header.imageWidth = static_cast<float>(width);
    result.header.imageHeight = static_cast<float>(height);
    result.header.dimension = solid ? 3.0f : 2.0f;
    result.header.xMin = static_cast<float>(field.x.front());
    result.header.xMax = static_cast<float>(field.x.back());
    result.header.yMin = static_cast<float>(field.y.front());
    result.header.yMax = static_cast<float>(field.y.back());
    result.header.zMin = solid ? static_cast<float>(field.z.front()) : 0.0f;
    result.header.zMax = solid ? static_cast<float>(field.z.back()) : 0.0f;
    result.header.numbersRead = 11;

    Placement placement;
    if (top > 0.0) {
        const FieldSampler sampler(field);
        const StreamlineGrower grower(sampler, frame, limits);
        Placer placer(grower, grid, settings);
        if (!options.seeds.empty()) {
            std::vector<std::array<double, 3>> seeds;
            for (const SeedPoint& s : options.seeds) {
                seeds.push_back({(s.x - frame.xMin) * frame.sx, (s.y - frame.yMin) * frame.sy,
                                 solid ? (s.z - frame.zMin) * frame.sz : 0.0});
            }
            const std::size_t traced = placer.FromSeeds(seeds);
            if (traced < seeds.size()) {
                result.notes.push_back(
                    name + ": " + std::to_string(seeds.size() - traced) + " of " +
                    std::to_string(seeds.size()) +
                    " seeds gave no streamline (outside the field, in a masked cell, at a "
                    "critical point or beside an earlier streamline)");
            }
        } else if (solid) {
            placer.Jittered3D();
        } else {
            placer.EvenlySpaced2D();
        }
        placement = std::move(placer.Result());
    } else {
        result.notes.push_back(name + ": the field is zero or masked everywhere: no streamlines");
    }
    if (placement.truncated) {
        result.notes.push_back(name + ": stopped after " + std::to_string(placement.points) +
                               " points, the most one trace holds; a larger separation "
                               "gives fewer");
    }
    if (top > 0.0 && placement.lines.empty() && options.seeds.empty()) {
        result.notes.push_back(name + ": no streamline could be traced");
    }

    double tMax = 0.0;
    result.streamlines.reserve(placement.lines.size());
    for (const auto& line : placement.lines) {
        std::vector<TracePoint> out;
        out.reserve(line.size());
        const TracedPoint& first = line.front();
        const double total = ParameterOf(line.back(), first, options.parameter);
        for (const TracedPoint& p : line) {
            double t = ParameterOf(p, first, options.parameter);
            if (options.parameter == Parameter::kNormalized)
                t = &p == &line.back() ? 1.0 : t / total;
            out.push_back({t, frame.xMin + p.px / frame.sx, frame.yMin + p.py / frame.sy,
                           solid ? frame.zMin + p.pz / frame.sz : 0.0});
        }
        tMax = std::max(tMax, out.back().t);
        result.streamlines.push_back(std::move(out));
    }
    if (options.parameter == Parameter::kNormalized || result.streamlines.empty()) tMax = 1.0;
    if (!FitsFloat(tMax)) {
        result.streamlines.clear();
        result.error = name +
                       ": the streamlines' parameter reaches beyond what a streamline file "
                       "can hold; the normalized parameter always fits";
        return result;
    }
    result.header.tMax = static_cast<float>(tMax);
    result.header.progressStep =
        100.0f / static_cast<float>(std::max<std::size_t>(1, result.streamlines.size()));
    result.points = placement.points;
    result.stops = placement.stops;
    result.ok = true;
    return result;
}

}  // namespace vortan::trace
