#include "field/isolated_read.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "field/field_grid.h"

namespace vortan::field {
namespace {

// A read that has not finished after this many seconds is taken for a hang
// inside the library: the child is ended by the alarm's default action.
constexpr unsigned kReadSeconds = 120;

// The result as bytes: flag, dimension, texts and arrays, each with its length.
void PutCount(std::string& out, std::size_t n) {
    out.append(reinterpret_cast<char*>(&n), sizeof n);
}

void PutText(std::string& out, const std::string& text) {
    PutCount(out, text.size());
    out += text;
}

void PutArray(std::string& out, const std::vector<double>& values) {
    PutCount(out, values.size());
    if (!values.empty())
        out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(double));
}

std::string Serialize(const FieldResult& r) {
    std::string out;
    PutCount(out, r.ok ? 1 : 0);
    PutCount(out, static_cast<std::size_t>(r.field.dimension));
    PutText(out, r.error);
    PutText(out, r.field.description);
    for (const auto* a : {&r.field.x, &r.field.y, &r.field.z, &r.field.u, &r.field.v, &r.field.w})
        PutArray(out, *a);
    return out;
}

class Reader {
  public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}
    bool Count(std::size_t* n) {
        if (m_bytes.size() - m_at < sizeof *n) return false;
        std::memcpy(n, m_bytes.data() + m_at, sizeof *n);
        m_at += sizeof *n;
        return true;
    }
    bool Text(std::string* text) {
        std::size_t n = 0;
        if (!Count(&n) || n > m_bytes.size() - m_at) return false;
        text->assign(m_bytes, m_at, n);
        m_at += n;
        return true;
    }
    bool Array(std::vector<double>* values) {
        std::size_t n = 0;
        if (!Count(&n) || n > (m_bytes.size() - m_at) / sizeof(double)) return false;
        values->resize(n);
        if (n > 0) std::memcpy(values->data(), m_bytes.data() + m_at, n * sizeof(double));
        m_at += n * sizeof(double);
        return true;
    }
    bool Done() const { return m_at == m_bytes.size(); }

  private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
};

bool Deserialize(const std::string& bytes, FieldResult* r) {
    Reader in(bytes);
    std::size_t ok = 0, dimension = 0;
    if (!in.Count(&ok) || !in.Count(&dimension) || !in.Text(&r->error) ||
        !in.Text(&r->field.description))
        return false;
    for (auto* a : {&r->field.x, &r->field.y, &r->field.z, &r->field.u, &r->field.v, &r->field.w})
        if (!in.Array(a)) return false;
    r->ok = ok == 1;
    r->field.dimension = static_cast<int>(dimension);
    return in.Done();
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FieldResult ReadIsolated(const std::string& file, const std::string& library,
                         const std::function<FieldResult()>& read) {
    int fds[2];
    if (pipe(fds) != 0) return read();  // no pipe: read here rather than not at all
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return read();
    }
    if (pid == 0) {
        close(fds[0]);
        signal(SIGALRM, SIG_DFL);
        alarm(kReadSeconds);
        const bool sent = WriteAll(fds[1], Serialize(read()));
        close(fds[1]);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    std::string bytes;
    char buffer[1 << 16];
    while (true) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    FieldResult result;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && Deserialize(bytes, &result)) return result;
    std::string how = "it ended unexpectedly";
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
        how = "it did not finish within " + std::to_string(kReadSeconds) + " s";
    } else if (WIFSIGNALED(status)) {
        how = std::string("it crashed with ") + strsignal(WTERMSIG(status));
    }
    return FieldError(file + ": the " + library + " library could not read this file (" + how +
                      "); the file is probably damaged");
}

}  // namespace vortan::field
