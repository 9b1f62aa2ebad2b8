#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/temp_cleanup.h"

namespace vortan {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// Longest part of the target's name kept in the temporary file's name, so
// that a target name near the system's limit still gets a temporary file.
constexpr std::size_t kMaxNameInTemp = 200;
constexpr int kMaxCreateAttempts = 1000;
// Links followed before giving up with ELOOP, as the kernel does.
constexpr int kMaxLinkHops = 40;

// Distinguishes the temporary files of one process (threads, repeated saves).
std::atomic<unsigned> g_tempSerial{0};

// The first at most max bytes of name, not cutting a UTF-8 sequence apart.
std::string NamePrefix(const std::string& name, std::size_t max) {
    if (name.size() <= max) return name;
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Follows path while it names a symbolic link, also one whose target does not
// exist, and gives the first name that is not a link. A relative link is
// read against the folder of the link. Folders on the way are left to the
// kernel; names that cannot be looked at are returned as they are, for the
// create that follows to report.
bool FollowLinks(const std::string& path, std::string& resolved, int& error) {
    resolved = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        if (hop == kMaxLinkHops) break;
        std::vector<char> text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        const ssize_t n = ::readlink(resolved.c_str(), text.data(), text.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        // A link that grew between lstat and readlink is read again.
        if (static_cast<std::size_t>(n) >= text.size()) continue;
        const std::string link(text.data(), static_cast<std::size_t>(n));
        if (link.empty()) {
            error = ENOENT;
            return false;
        }
        if (link[0] == '/') {
            resolved = link;
        } else {
            const auto slash = resolved.find_last_of('/');
            resolved = (slash == std::string::npos ? "" : resolved.substr(0, slash + 1)) + link;
        }
    }
    error = ELOOP;
    return false;
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

AtomicFile::~AtomicFile() {
    Abandon();
}

void AtomicFile::Abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
    temp_cleanup::Forget(m_tempSlot);
    m_tempSlot = -1;
    m_buffered = 0;
}

bool AtomicFile::Fail(Step step, int error) {
    m_step = step;
    m_error = error;
    Abandon();
    return false;
}

std::string AtomicFile::ErrorText() const {
    return m_error ? std::strerror(m_error) : std::string();
}

bool AtomicFile::OpenTarget(int flags, Method method) {
    const int fd = OpenRetrying(m_resolved.c_str(), flags | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) return Fail(Step::kCreate, errno);
    m_fd = fd;
    m_method = method;
    m_buffer.resize(kBufferSize);
    m_buffered = 0;
    return true;
}

bool AtomicFile::Open(const std::string& target) {
    Abandon();
    m_step = Step::kNone;
    m_error = 0;
    m_method = Method::kReplace;
    m_target = target;
    m_resolved.clear();
    if (target.empty()) return Fail(Step::kCreate, ENOENT);
    int linkError = 0;
    if (!FollowLinks(target, m_resolved, linkError)) return Fail(Step::kCreate, linkError);

    struct stat st {};
    const bool exists = ::stat(m_resolved.c_str(), &st) == 0;
    const int statError = exists ? 0 : errno;
    if (exists && S_ISDIR(st.st_mode)) return Fail(Step::kCreate, EISDIR);
    // A device, FIFO or socket is written to, never replaced by a file.
    if (exists && !S_ISREG(st.st_mode)) return OpenTarget(0, Method::kDirect);

    const auto slash = m_resolved.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : m_resolved.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_resolved : m_resolved.substr(slash + 1);
    // "x/" names a folder, never a file.
    if (name.empty()) return Fail(Step::kCreate, statError ? statError : ENOTDIR);

    temp_cleanup::InstallSignalCleanup();
    // O_EXCL: the temporary file is always a new one, never a file (or a
    // link) that happens to have its name.
    const std::string stem =
        folder + "." + NamePrefix(name, kMaxNameInTemp) + "." + std::to_string(::getpid()) + "-";
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < kMaxCreateAttempts && fd < 0; ++attempt) {
        temp = stem + std::to_string(g_tempSerial.fetch_add(1)) + ".tmp";
        fd = OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int createError = errno;
        // A file that may be written in a folder that takes no new files is
        // overwritten in place; it is cut to length at Commit.
        const bool folderRefuses =
            createError == EACCES || createError == EPERM || createError == EROFS;
        if (exists && folderRefuses) return OpenTarget(0, Method::kInPlace);
        return Fail(Step::kCreate, createError);
    }
    m_fd = fd;
    m_tempPath = temp;
    m_tempSlot = temp_cleanup::Track(temp);
    if (exists) {
        // A replaced file keeps its owner where the process may give it (as
        // root), else at least its group; then its permissions, which a
        // change of owner may have cut (set-id bits).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        }
        ::fchmod(fd, st.st_mode & 07777);
    }
    m_buffer.resize(kBufferSize);
    m_buffered = 0;
    return true;
}

bool AtomicFile::Flush() {
    int error = 0;
    if (m_buffered > 0 && !WriteAll(m_fd, m_buffer.data(), m_buffered, error)) {
        return Fail(Step::kWrite, error);
    }
    m_buffered = 0;
    return true;
}

bool AtomicFile::Write(const void* data, std::size_t size) {
    if (m_fd < 0) return m_step == Step::kNone ? Fail(Step::kCreate, EBADF) : false;
    const char* bytes = static_cast<const char*>(data);
    if (size <= m_buffer.size() - m_buffered) {
        if (size > 0) std::memcpy(m_buffer.data() + m_buffered, bytes, size);
        m_buffered += size;
        return true;
    }
    if (!Flush()) return false;
    if (size < m_buffer.size()) {
        std::memcpy(m_buffer.data(), bytes, size);
        m_buffered = size;
        return true;
    }
    int error = 0;
    if (!WriteAll(m_fd, bytes, size, error)) return Fail(Step::kWrite, error);
    return true;
}

bool AtomicFile::Commit() {
    if (m_fd < 0) return m_step == Step::kNone ? Fail(Step::kCreate, EBADF) : false;
    if (!Flush()) return false;
    if (m_method == Method::kInPlace) {
        // Old contents past the new end go.
        const off_t end = ::lseek(m_fd, 0, SEEK_CUR);
        if (end < 0 || ::ftruncate(m_fd, end) != 0) return Fail(Step::kWrite, errno);
    }
    // The data is on the disk before the name points at it. Files that
    // cannot sync (devices, pipes, some network mounts) are no failure.
    if (m_method != Method::kDirect && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS &&
        errno != ENOTSUP) {
        return Fail(Step::kWrite, errno);
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    // Linux closes the descriptor even when close reports EINTR.
    if (closed != 0 && errno != EINTR) return Fail(Step::kClose, errno);
    if (m_method != Method::kReplace) return true;
    if (::rename(m_tempPath.c_str(), m_resolved.c_str()) != 0) return Fail(Step::kRename, errno);
    m_tempPath.clear();
    temp_cleanup::Forget(m_tempSlot);
    m_tempSlot = -1;
    return true;
}

}  // namespace vortan
