// Why a path cannot be read as an input file, in words for a message.
#pragma once

#include <string>

namespace vortan {

// Empty when path names a regular file this process may read; else the
// reason: the system's text for a missing file or a refused permission,
// "Is a directory" for a folder, or what else it is ("a FIFO, not a regular
// file"). Never opens a FIFO or device, so it cannot block.
std::string InputFileProblem(const std::string& path);

}  // namespace vortan
