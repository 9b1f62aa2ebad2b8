#include "output/formats/export_messages.h"

namespace vortan {

std::string UnableToCreateText(const std::string& path, const std::string& reason) {
    return "Unable to create " + path + ": " + reason;
}

std::string UnableToWriteText(const std::string& path, const std::string& reason) {
    return "Unable to write " + path + ": " + reason;
}

std::string FileFailureText(const std::string& path, const AtomicFile& file) {
    const std::string reason = file.Error() ? file.ErrorText() : "write error";
    return file.FailedStep() == AtomicFile::Step::kCreate ? UnableToCreateText(path, reason)
                                                          : UnableToWriteText(path, reason);
}

}  // namespace vortan
