// Records in the layout that Mathematica 7 and later print for an
// InterpolatingFunction (version header list, packed value arrays), read
// structurally into the same knot store.
#pragma once

#include <string>

#include "view/streamline_reader.h"

namespace vortan {

// True when the record is in the newer layout (and not the classic one).
bool IsModernRecord(const std::string& text);

// Reads a newer-layout record into the knot store. Returns true when the
// store holds the streamline; otherwise sets *reason.
bool ParseModernRecord(const std::string& text, const StreamlineHeader& header,
                       VortanFrameState& state, SkipReason* reason);

}  // namespace vortan
