#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vortan {

std::string InputFileProblem(const std::string& path) {
    struct stat st {};
    if (path.empty()) return std::strerror(ENOENT);
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    if (S_ISFIFO(st.st_mode)) return "a FIFO, not a regular file";
    if (S_ISSOCK(st.st_mode)) return "a socket, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device, not a regular file";
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    // Opened, not only checked: access() would answer for the real user id.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return "";
}

}  // namespace vortan
