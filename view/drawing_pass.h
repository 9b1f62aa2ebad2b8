// The drawing pass: clears the picture, reads the streamline file again and
// draws every streamline as a streamlet of 64 palette-index disks.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/crt_rand.h"
#include "platform/indexed_canvas.h"
#include "view/frame_host.h"
#include "view/sampler.h"
#include "view/streamline_reader.h"
#include "view/vortan_frame_state.h"

namespace vortan {

// The screen pass ends by starting the timer; the print pass reports its
// progress with its own texts and starts no timer.
enum class PassKind { Screen, Print };

// Where a skipped record stood: its number among the records (from 1) and
// the line of the file it starts on.
struct RecordPlace {
    int record = 0;
    long long line = 0;
    friend bool operator==(const RecordPlace&, const RecordPlace&) = default;
};

// Skipped records named by place, per reason; the rest are only counted.
inline constexpr std::size_t kSkippedPlacesKept = 3;

// What one pass met, for tools that explain an empty picture.
struct PassStats {
    bool opened = false;
    int headerNumbers = 0;
    int records = 0;
    int drawn = 0;
    std::map<SkipReason, int> skipped;
    std::map<SkipReason, std::vector<RecordPlace>> firstSkipped;  // at most kSkippedPlacesKept each
};

// One line per reason: "skipped 4 records: malformed: record 2 (line 13),
// record 5 (line 16), record 9 (line 20) and 1 more".
std::vector<std::string> SkippedRecordsLines(const PassStats& stats);

// Runs one whole pass over state.m_inputPath into canvas, whose size is the
// client area (picture on top, status strip of 30 pixels below it).
PassStats RunDrawingPass(VortanFrameState& state, IndexedCanvas& canvas, IFrameHost& host,
                         PassKind kind = PassKind::Screen);

// Status texts of the pass.
inline constexpr const char* kDrawingProgressFormat = "   Drawing:   %d%%";
inline constexpr const char* kDrawingDone = "   Drawing:   DONE";
inline constexpr const char* kPrintingProgressFormat = "   Printing:   %d%%";
inline constexpr const char* kPrintingDone = "   Printing:   DONE";

// Height of the status strip under the picture, in pixels.
inline constexpr int kStatusBarHeight = 30;

}  // namespace vortan
