#pragma once

#include "platform/system/file_dialog.h"

#include <deque>
#include <functional>

// Answers from a queue, one per call (an empty queue cancels); `whileOpen` runs inside each
// call, while a real dialog would be open.
class FakeFileDialog final : public platform::FileDialog {
public:
    std::deque<std::optional<QString>> answers;
    std::function<void()> whileOpen = [] {};
    int calls = 0;

    std::optional<QString> chooseTable(QWidget* /*parent*/) override {
        ++calls;
        whileOpen();
        const std::optional<QString> answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
};
