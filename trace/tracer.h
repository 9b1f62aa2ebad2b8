// Tracing a vector field into streamlines: evenly spaced in 2-D, from a
// jittered grid in 3-D, or from the user's seeds; integrated with
// Dormand–Prince 5(4) under error control. The result is what a streamline
// file holds: its header values and, per streamline, points (t, x, y, z).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "field/vector_field.h"
#include "trace/streamline_grower.h"
#include "view/streamline_reader.h"
#include "view/streamline_writer.h"

namespace vortan::trace {

// What is written as a streamline's parameter t.
enum class Parameter {
    kNormalized,  // 0 to 1 along every streamline by arc length (tMax 1)
    kTime,        // integration time from the streamline's start
    kLength,      // arc length in field units from the streamline's start
};
// "normalized", "time" or "length"; false for anything else.
bool ParseParameter(const std::string& text, Parameter& parameter);

// Picture width used when none is given; the height keeps the domain's aspect.
inline constexpr int kDefaultPictureWidth = 800;
// Largest picture side: the one every streamline file is held to.
using vortan::kMaxPictureSide;
// Default distance between neighbouring streamlines, picture pixels.
inline constexpr double kDefaultSeparation2D = 12.0;
inline constexpr double kDefaultSeparation3D = 40.0;
inline constexpr double kMinSeparation = 0.5;
inline constexpr double kDefaultTestRatio = 0.5;
inline constexpr double kDefaultTolerance = 1e-3;
// Slower than this fraction of the field's top speed counts as a critical point.
inline constexpr double kCriticalFraction = 1e-4;
// Most points one trace holds (about 100 bytes each while tracing).
inline constexpr std::size_t kMaxTracePoints = 2'000'000;

struct SeedPoint {
    double x = 0.0, y = 0.0, z = 0.0;  // field coordinates
};

struct TraceOptions {
    double separation = 0.0;               // pixels; 0: the default for the dimension
    double testRatio = kDefaultTestRatio;  // test distance / separation, in (0, 1]
    double tolerance = kDefaultTolerance;  // largest local error of a step, pixels
    int width = 0;                         // picture pixels; 0: kDefaultPictureWidth
    int height = 0;                        // 0: the domain's aspect
    Parameter parameter = Parameter::kNormalized;
    std::vector<SeedPoint> seeds;  // empty: placed evenly
};

// A point of a traced streamline: parameter t and position, as the
// streamline writer takes it.
using TracePoint = StreamlinePoint;

struct TraceResult {
    bool ok = false;
    std::string error;  // a sentence, when !ok
    // Sentences worth telling the user on success (no streamlines, a limit
    // reached, seeds not used).
    std::vector<std::string> notes;
    StreamlineHeader header;
    std::vector<std::vector<TracePoint>> streamlines;
    std::size_t points = 0;
    std::array<std::size_t, kStopReasons> stops{};  // counts over both ends of every line
};

// Checks options against field's dimension; false with a sentence.
bool CheckTraceOptions(const TraceOptions& options, std::string& error);

TraceResult TraceField(const VectorField& field, const TraceOptions& options);

}  // namespace vortan::trace
