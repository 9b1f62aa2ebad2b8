// Messages of the GIF and PNG writers; each names the file written.
#pragma once

#include <string>

#include "platform/atomic_file.h"

namespace vortan {

std::string UnableToCreateText(const std::string& path, const std::string& reason);
std::string UnableToWriteText(const std::string& path, const std::string& reason);

// The message for a file that failed: "Unable to create" when its temporary
// file could not be made, otherwise "Unable to write", with the reason.
std::string FileFailureText(const std::string& path, const AtomicFile& file);

}  // namespace vortan
