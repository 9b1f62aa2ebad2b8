// Message boxes and file dialogs as one service, so window code can be driven
// by a scripted fake in tests. The Qt implementation lives in platform/qt/.
#pragma once

#include <optional>
#include <string>

#include "platform/message_sink.h"

namespace vortan {

// An open or save file dialog, described as the Windows common dialog is.
struct FileDialogRequest {
    bool save = false;             // save dialog (else open)
    std::string defaultExtension;  // "math", "dat", "bmp": appended to a name typed without one
    std::string initialName;       // "*.math", or a remembered full path
    // "Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||"
    std::string filter;
    bool fileMustExist = false;    // OFN_FILEMUSTEXIST
    bool overwritePrompt = false;  // OFN_OVERWRITEPROMPT
    bool pathMustExist = false;    // OFN_PATHMUSTEXIST
};

struct FileDialogResult {
    std::string path;   // full path
    std::string title;  // file title (name without folder)
};

class IUiService : public IMessageSink {
  public:
    // Runs the file dialog; nothing when the user cancels.
    virtual std::optional<FileDialogResult> FileDialog(const FileDialogRequest& request) = 0;
};

}  // namespace vortan
