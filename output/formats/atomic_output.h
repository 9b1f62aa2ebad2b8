// A file written beside its target and renamed over it only when complete,
// so a failed or interrupted write never destroys the previous file.
#pragma once

#include <cstdio>
#include <string>

namespace vortan {

class AtomicOutputFile {
  public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();  // removes the temporary file unless committed
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // Creates a temporary file in the target's folder. On failure returns
    // false with a reason in error.
    bool Open(const std::string& targetPath, std::string& error);

    // The open temporary file (buffered); null before Open.
    std::FILE* File() const { return m_file; }

    // Flushes, syncs and closes the temporary file and renames it over the
    // target. On failure the temporary file is removed, the target is left as
    // it was, and error holds the reason.
    bool Commit(std::string& error);

  private:
    void Discard();

    std::string m_target;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
};

// Message texts of the writers; each names the target file.
std::string UnableToCreateText(const std::string& path, const std::string& reason);
std::string UnableToWriteText(const std::string& path, const std::string& reason);

}  // namespace vortan
