// Writing a streamline file: the header of eleven numbers, then one classic
// record per streamline in the list syntax Mathematica prints for an
// interpolated solution, {{x -> InterpolatingFunction[...], y -> ...}}.
// The one place that knows how a record is spelled; the reader beside it
// reads every file written here back to the same knots.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "view/streamline_reader.h"

namespace vortan {

// One knot of a streamline: its parameter value and position, and the
// derivative of each coordinate (kept by Mathematica, passed over by the
// reader; 0 when unknown).
struct StreamlinePoint {
    double t = 0, x = 0, y = 0, z = 0;
    double dx = 0, dy = 0, dz = 0;
};

// How many digits a number keeps: those that tell its single-precision value
// apart (what the reader stores), or those of the full double (a machine real
// as Mathematica prints it).
enum class StreamlinePrecision { kSingle, kDouble };

// Largest knot index the reader keeps; longer streamlines are thinned.
inline constexpr std::size_t kLastStreamlineKnot = 1000;
// Records of this many characters or fewer (line end included) are not drawn.
inline constexpr std::size_t kShortStreamlineRecord = 200;

struct StreamlineRecordForm {
    // More than kLastStreamlineKnot parameter values after the first are
    // thinned evenly to kLastStreamlineKnot + 1 knots, keeping both ends, as
    // the reader would thin them itself.
    bool thin = true;
    // A record too short to be drawn gets blanks after its two leading braces.
    bool pad = true;
    StreamlinePrecision precision = StreamlinePrecision::kSingle;
};

// A number as Mathematica prints a machine real, in the shortest text that
// reads back as the same value at the given precision: "0.", "1.", "-2.25",
// "1.5*^-7". Infinities and NaN, which no file can hold, come out as "0.".
std::string FormatStreamlineNumber(double v,
                                   StreamlinePrecision precision = StreamlinePrecision::kSingle);

// The eleven header numbers in file order, one a line, each in a form the
// header reader reads back to the same float.
std::string FormatStreamlineHeader(const StreamlineHeader& header);

// One classic record with its line end (2-D when dimension == 2, else 3-D)
// from knots in order. The parameter values are written relative to the
// first point's, so that knot 0 sits at 0. Needs two or more points; see
// CheckStreamlinePoints for what a file can hold.
std::string FormatStreamlineRecord(const std::vector<StreamlinePoint>& points, int dimension,
                                   const StreamlineRecordForm& form = {});

// Why points cannot make a record (fewer than two, a value that is not
// finite or, at single precision, beyond the float range, parameter values
// that decrease), as a phrase; empty when they can.
std::string CheckStreamlinePoints(const std::vector<StreamlinePoint>& points, int dimension,
                                  StreamlinePrecision precision = StreamlinePrecision::kSingle);

// Writes a streamline file through AtomicFile: an existing file at the path
// is replaced only by Commit, once everything is written.
class StreamlineWriter {
  public:
    // Starts the file with header; the header's dimension (2 or 3) decides
    // the records' form. False (with Error) for a header no file can hold or
    // a file that cannot be created.
    bool Open(const std::string& path, const StreamlineHeader& header,
              const StreamlineRecordForm& form = {});
    // Appends one streamline record. Points that cannot make a record are
    // refused and leave the file as it was; a write failure ends the file.
    bool Write(const std::vector<StreamlinePoint>& points);
    // Completes the file and puts it in the path's place.
    bool Commit();
    // Drops the file being written; the path keeps what it held.
    void Abandon();

    // The last failure as a whole sentence naming the file and the reason.
    const std::string& Error() const { return m_error; }
    // Records written so far.
    std::size_t Records() const { return m_records; }

  private:
    bool Fail(const std::string& reason);
    bool FileFailure();
    bool NotOpen();

    AtomicFile m_file;
    std::string m_path;
    std::string m_error;
    StreamlineRecordForm m_form;
    int m_dimension = 2;
    std::size_t m_records = 0;
};

}  // namespace vortan
