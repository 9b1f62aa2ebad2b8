#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace vortan {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// Longest part of the target's name kept in the temporary file's name, so
// that a target name near the system's limit still gets a temporary file.
constexpr std::size_t kMaxNameInTemp = 200;
constexpr int kMaxCreateAttempts = 1000;

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

bool AtomicFile::Open(const std::string& target) {
    Abandon();
    m_step = Step::kNone;
    m_error = 0;
    m_target = target;
    if (target.empty()) return Fail(Step::kCreate, ENOENT);

    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    const int statError = exists ? 0 : errno;
    if (exists && S_ISDIR(st.st_mode)) return Fail(Step::kCreate, EISDIR);
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // "x/" names a folder, never a file.
    if (name.empty()) return Fail(Step::kCreate, statError ? statError : ENOTDIR);

    // O_EXCL: the temporary file is always a new one, never a file (or a
    // link) that happens to have its name.
    const std::string stem =
        folder + "." + NamePrefix(name, kMaxNameInTemp) + "." + std::to_string(::getpid()) + "-";
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < kMaxCreateAttempts && fd < 0; ++attempt) {
        temp = stem + std::to_string(g_tempSerial.fetch_add(1)) + ".tmp";
        do {
            fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return Fail(Step::kCreate, errno);
    m_fd = fd;
    m_tempPath = temp;
    // A replaced file keeps its permissions; a new one has the umask's.
    if (exists && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
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
    // The data is on the disk before the name points at it. Filesystems that
    // cannot sync (pipes, some network mounts) are no failure.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
        return Fail(Step::kWrite, errno);
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    // Linux closes the descriptor even when close reports EINTR.
    if (closed != 0 && errno != EINTR) return Fail(Step::kClose, errno);
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) return Fail(Step::kRename, errno);
    m_tempPath.clear();
    return true;
}

}  // namespace vortan
