// Scripted message boxes and file dialogs: records every request, answers from queues.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_service.h"

namespace vortan::test {

class FakeUiService : public IUiService {
  public:
    struct Message {
        std::string text;
        std::string caption;
        unsigned type = 0;
        friend bool operator==(const Message&, const Message&) = default;
    };
    struct Event {
        bool isFileDialog = false;
        Message message;
        FileDialogRequest request;
    };

    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        Message m{text, caption, type};
        messages.push_back(m);
        events.push_back({false, m, {}});
        if (onMessage) onMessage(m);
        if (messageAnswers.empty()) return IDOK;
        const int answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }

    std::optional<FileDialogResult> FileDialog(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        events.push_back({true, {}, request});
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
        events.clear();
    }

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<Event> events;
    std::deque<int> messageAnswers;
    std::deque<std::optional<FileDialogResult>> fileAnswers;
    std::function<void(const Message&)> onMessage;
    std::function<void()> onFileDialog;  // runs while a file dialog is open
};

}  // namespace vortan::test
