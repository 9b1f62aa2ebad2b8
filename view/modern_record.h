// Records in the layout that Mathematica 7 and later print for an
// InterpolatingFunction (version header list, packed value arrays), read
// structurally into the same knot store.
#pragma once

#include <string>
#include <string_view>

#include "view/mathematica_expr.h"
#include "view/streamline_reader.h"

namespace vortan {

// True when the record is in the newer layout (and not the classic one),
// judged from text marks alone: the record holds "CompressedData[", or it
// holds "InterpolatingFunction[" and any of
//  - a version header as the first function's second argument (a list of
//    9, 10 or 13 elements; nested lists count as one element each),
//  - "PackedArrayForm" or OutputForm's "<>",
//  - an end other than "}}]}}" followed by one character or by blanks and
//    line ends ("[t]}}" and "}]}}" are such ends).
// Records of the classic layout, {3, 1, 0, 0} or {3, 1, 0, {n}} second
// arguments and "}}]}}" ends, stay with the classic algorithm and its quirks.
bool IsModernRecord(std::string_view text);

// Reads a newer-layout record into the knot store. Returns true when the
// store holds the streamline; otherwise sets *reason.
bool ParseModernRecord(std::string_view text, const StreamlineHeader& header,
                       VortanFrameState& state, SkipReason* reason);
// The same with the expression reader's way of reading number lists chosen
// (the result is the same either way; tests compare the two).
bool ParseModernRecord(std::string_view text, const StreamlineHeader& header,
                       VortanFrameState& state, SkipReason* reason, mexpr::ListReading lists);

// The account for a record too short to be parsed (200 characters or
// fewer): OutputForm or CompressedData when its text shows it is one of
// those (an OutputForm solution is far shorter than 200 characters),
// otherwise TooShort.
SkipReason ShortRecordReason(std::string_view text);

}  // namespace vortan
