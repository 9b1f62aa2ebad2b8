// Helpers shared by the tests: temporary folders, files, a recording message sink.
#pragma once

#include <sys/resource.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/logical_palette.h"
#include "platform/message_sink.h"

namespace vortan::test {

struct RecordedMessage {
    std::string text;
    std::string caption;
    unsigned type = 0;
    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

// Records every message and answers with a scripted result (IDOK by default).
class RecordingSink : public IMessageSink {
  public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        messages.push_back({text, caption, type});
        return answer;
    }
    std::vector<RecordedMessage> messages;
    int answer = IDOK;
};

// A fresh empty folder below the build tree, removed by the destructor.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadWholeFile(const std::string& path);
// A palette whose entries all differ in every channel, so a wrong entry shows.
inline PaletteEntries DistinctPalette() {
    PaletteEntries p{};
    for (int i = 0; i < kPaletteSize; ++i)
        p[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                static_cast<std::uint8_t>(i * 7), PC_RESERVED};
    return p;
}

std::string SourcePath(const std::string& relative);  // a file of the source tree
int CountEntries(const std::string& folder);
int BindSocket(const std::string& path);  // a Unix socket bound to path; the caller closes it

// While alive, writes beyond limit bytes (0: no lower limit) fail with EFBIG, SIGXFSZ
// ignored: a full disk that works as root too.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

struct ChildResult {
    std::string output;  // the text body returned
    int exitCode = -1;   // -1 when ended by a signal
    int signal = 0;      // the signal that ended it, 0 when it exited
};

// Runs body in a forked child (its side effects stay there), which then exits
// with 0. started, when given, runs in the parent with the child's pid once
// the child has written "ready\n" to the descriptor body gets.
ChildResult RunInChild(const std::function<std::string(int readyFd)>& body,
                       const std::function<void(int pid)>& started = {});

}  // namespace vortan::test
