#pragma once

#include "platform/system/file_dialog.h"

#include <deque>
#include <functional>

// Answers from a queue, one per call; an empty queue answers as a cancel. `whileOpen` runs
// inside every call, while a real dialog would be open.
class FakeFileDialog final : public platform::FileDialog {
public:
    std::deque<std::optional<QString>> answers;
    std::function<void()> whileOpen;
    int calls = 0;

    std::optional<QString> chooseTable(QWidget* /*parent*/) override {
        ++calls;
        if (whileOpen) {
            whileOpen();
        }
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
