#include "tests/test_support.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vortan::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path() / "vortan-tests";
    std::filesystem::create_directories(base);
    std::filesystem::path p;
    do {
        p = base / (std::to_string(::getpid()) + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directory(p));
    m_path = p.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << text;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string SourcePath(const std::string& relative) {
    return std::string(VORTAN_SOURCE_DIR) + "/" + relative;
}

int CountEntries(const std::string& folder) {
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

int BindSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) throw std::runtime_error("too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a socket to " + path);
    return s;
}

FileSizeLimit::FileSizeLimit(rlim_t limit) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = m_saved;
    if (limit > 0) lower.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lower);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_oldHandler);
}

// Reads fd until its end or limit bytes.
static std::string ReadUpTo(int fd, std::size_t limit) {
    std::string text;
    char buffer[4096];
    while (text.size() < limit) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

ChildResult RunInChild(const std::function<std::string(int readyFd)>& body,
                       const std::function<void(int pid)>& started) {
    int out[2], ready[2];
    if (::pipe(out) != 0 || ::pipe(ready) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(out[0]);
        ::close(ready[0]);
        const std::string text = body(ready[1]);
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(out[1], text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(out[1]);
    ::close(ready[1]);
    if (started && ReadUpTo(ready[0], 6) == "ready\n") started(pid);
    ::close(ready[0]);
    ChildResult result;
    result.output = ReadUpTo(out[0], std::string::npos);
    ::close(out[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace vortan::test
