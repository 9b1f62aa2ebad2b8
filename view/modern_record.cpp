#include "view/modern_record.h"

namespace vortan {

bool IsModernRecord(const std::string&) { return false; }

bool ParseModernRecord(const std::string&, const StreamlineHeader&, VortanFrameState&,
                       SkipReason* reason) {
    if (reason) *reason = SkipReason::Malformed;
    return false;
}

}  // namespace vortan
