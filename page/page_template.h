// The fixed parts of the animation page: its style sheet and its player
// script. The script reads the picture's size, period and tick interval from
// the data attributes of the element #vortan and the two embedded pictures
// #indices and #palettes.
#pragma once

namespace vortan::page {

extern const char* const kPageStyle;
extern const char* const kPageScript;

}  // namespace vortan::page
