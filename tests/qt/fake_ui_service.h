// Scripted message boxes and file dialogs: records every request, answers from queues.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_service.h"

namespace vortan::test {

struct FakeUiService : IUiService {
    struct Message {
        std::string text;
        std::string caption;
        unsigned type = 0;
        friend bool operator==(const Message&, const Message&) = default;
    };

    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        Message m{text, caption, type};
        messages.push_back(m);
        if (onMessage) onMessage(m);
        return IDOK;
    }

    std::optional<FileDialogResult> FileDialog(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (onFileDialog) onFileDialog();
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    // Queues an answer choosing path (title: the name after the last '/').
    void ChooseFile(const std::string& path) {
        const auto slash = path.find_last_of('/');
        fileAnswers.push_back(
            FileDialogResult{path, slash == std::string::npos ? path : path.substr(slash + 1)});
    }
    void CancelFileDialog() { fileAnswers.push_back(std::nullopt); }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text);
        return out;
    }
    void Clear() {
        messages.clear();
        fileRequests.clear();
    }

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<std::optional<FileDialogResult>> fileAnswers;
    std::function<void(const Message&)> onMessage;
    std::function<void()> onFileDialog;  // runs while a file dialog is open
};

}  // namespace vortan::test
