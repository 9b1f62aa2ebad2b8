// Replacing a file safely: the new contents go to a temporary file in the
// target's folder, which is renamed over the target only once it is complete,
// so a failed or interrupted save never destroys the previous file.
//
// Targets that cannot be replaced that way are handled as a Unix tool would:
// a symbolic link (also a dangling one) is followed and the file it names is
// replaced, so the link stays a link; a device, FIFO or socket is written
// straight into; a regular file in a folder that does not allow new files is
// written in place. Temporary files are removed when SIGINT, SIGTERM or
// SIGHUP ends the process.
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

    // How the open file reaches its target.
    enum class Method {
        kReplace,  // a temporary file renamed over the target at Commit
        kDirect,   // written straight into a device, FIFO or socket
        kInPlace,  // the target's own contents overwritten (folder not writable)
    };

    AtomicFile() = default;
    ~AtomicFile();  // abandons a file not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Opens target for writing, normally by creating a new temporary file
    // beside it (beside the file a link names). A replacement gets the
    // target's permissions and, where the process may give it, its owner;
    // a new file those of a plain create (0666 less the umask). A target
    // that is a folder, or whose folder is missing, fails here. Opening a
    // FIFO waits for its reader. Abandons any file open before.
    bool Open(const std::string& target);

    // Appends bytes (buffered). After a failure every later Write fails too.
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }

    // Writes out the buffer, syncs and closes the temporary file and renames
    // it over the target. On failure the temporary file is removed and the
    // target is left as it was (a device or a file written in place keeps
    // what reached it).
    bool Commit();

    // Closes and removes the temporary file; the target is left as it was.
    void Abandon();

    bool IsOpen() const { return m_fd >= 0; }
    Method WriteMethod() const { return m_method; }
    // The file the data goes to once links are followed.
    const std::string& ResolvedTarget() const { return m_resolved; }
    Step FailedStep() const { return m_step; }
    // errno of the failure (0 when none), and its text.
    int Error() const { return m_error; }
    std::string ErrorText() const;

  private:
    bool Fail(Step step, int error);
    bool Flush();
    bool OpenTarget(int flags, Method method);

    std::string m_target;
    std::string m_resolved;
    std::string m_tempPath;
    int m_tempSlot = -1;  // the temporary file's entry in the signal clean-up table
    int m_fd = -1;
    Method m_method = Method::kReplace;
    std::vector<char> m_buffer;
    std::size_t m_buffered = 0;
    Step m_step = Step::kNone;
    int m_error = 0;
};

}  // namespace vortan
