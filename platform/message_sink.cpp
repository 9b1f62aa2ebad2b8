#include "platform/message_sink.h"

#include <cstdio>

namespace vortan {

int StderrMessageSink::MessageBox(const std::string& text, const std::string& caption, unsigned) {
    std::fprintf(stderr, "%s: %s\n", caption.empty() ? kAppName : caption.c_str(), text.c_str());
    return IDOK;
}

}  // namespace vortan
