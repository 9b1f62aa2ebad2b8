// Replacing a file safely: the new contents go to a temporary file in the
// target's folder, which is renamed over the target only once it is complete,
// so a failed or interrupted save never destroys the previous file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortan {

class AtomicFile {
  public:
    // The step at which the file failed, for callers that name it.
    enum class Step {
        kNone,    // no failure
        kCreate,  // the temporary file could not be made (or nothing is open)
        kWrite,   // writing, flushing or syncing the data failed
        kClose,   // closing the temporary file failed
        kRename,  // the complete file could not take the target's place
    };

    AtomicFile() = default;
    ~AtomicFile();  // abandons a file not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates a new temporary file beside target (never an existing one). It
    // gets the target's permissions when the target is a regular file, else
    // those of a plain create (0666 less the umask). A target that is a
    // folder, or whose folder is missing, fails here. Abandons any file
    // open before.
    bool Open(const std::string& target);

    // Appends bytes (buffered). After a failure every later Write fails too.
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }

    // Writes out the buffer, syncs and closes the temporary file and renames
    // it over the target. On failure the temporary file is removed and the
    // target is left as it was.
    bool Commit();

    // Closes and removes the temporary file; the target is left as it was.
    void Abandon();

    bool IsOpen() const { return m_fd >= 0; }
    Step FailedStep() const { return m_step; }
    // errno of the failure (0 when none), and its text.
    int Error() const { return m_error; }
    std::string ErrorText() const;

  private:
    bool Fail(Step step, int error);
    bool Flush();

    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
    std::vector<char> m_buffer;
    std::size_t m_buffered = 0;
    Step m_step = Step::kNone;
    int m_error = 0;
};

}  // namespace vortan
