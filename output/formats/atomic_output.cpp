#include "output/formats/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vortan {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string ErrnoText(int err) {
    return std::strerror(err);
}

// Mode for the new file: the existing target's permissions, or what a plain
// create would give (0666 less the umask).
mode_t NewFileMode(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string UnableToCreateText(const std::string& path, const std::string& reason) {
    return "Unable to create " + path + ": " + reason;
}

std::string UnableToWriteText(const std::string& path, const std::string& reason) {
    return "Unable to write " + path + ": " + reason;
}

AtomicOutputFile::~AtomicOutputFile() {
    Discard();
}

void AtomicOutputFile::Discard() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

bool AtomicOutputFile::Open(const std::string& targetPath, std::string& error) {
    Discard();
    if (targetPath.empty()) {
        error = "no file name";
        return false;
    }
    struct stat st {};
    if (::stat(targetPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = ErrnoText(EISDIR);
        return false;
    }
    m_target = targetPath;
    std::string base = targetPath.substr(targetPath.find_last_of('/') + 1);
    std::string pattern = FolderOf(targetPath) + "/." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = ErrnoText(errno);
        return false;
    }
    m_tempPath = name.data();
    ::fchmod(fd, NewFileMode(targetPath));
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        error = ErrnoText(errno);
        ::close(fd);
        Discard();
        return false;
    }
    return true;
}

bool AtomicOutputFile::Commit(std::string& error) {
    if (!m_file) {
        error = "the file is not open";
        return false;
    }
    bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
    int err = ok ? 0 : (errno ? errno : EIO);
    if (ok && ::fsync(::fileno(m_file)) != 0 && errno != EINVAL && errno != EROFS) {
        ok = false;
        err = errno;
    }
    const int closed = std::fclose(m_file);
    m_file = nullptr;
    if (ok && closed != 0) {
        ok = false;
        err = errno ? errno : EIO;
    }
    if (ok && std::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        error = ErrnoText(err);
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

}  // namespace vortan
