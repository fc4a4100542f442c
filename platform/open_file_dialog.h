#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// The open-file dialog through which the user picks a character table. Tests put a fake in
// place of the real dialog.
class OpenFileDialog {
public:
    OpenFileDialog() = default;
    virtual ~OpenFileDialog() = default;
    OpenFileDialog(const OpenFileDialog&) = delete;
    OpenFileDialog& operator=(const OpenFileDialog&) = delete;

    // Shows a modal dialog over `parent` and waits. Nothing when the user cancels, otherwise
    // the absolute path of an existing file.
    virtual std::optional<QString> chooseTable(QWidget* parent) = 0;
};

// Qt's own file dialog (not the desktop's), the same on every desktop: one filter,
// "Tavole per Thingy (*.tbl)", and only an existing file is accepted. Title and starting
// folder are the dialog's defaults.
class QtOpenFileDialog final : public OpenFileDialog {
public:
    std::optional<QString> chooseTable(QWidget* parent) override;
};

// Answers from a queue, one per call; an empty queue answers as a cancel.
class FakeOpenFileDialog final : public OpenFileDialog {
public:
    void queueChoice(const QString& path) { answers_.emplace_back(path); }
    void queueCancel() { answers_.emplace_back(std::nullopt); }

    // Runs inside every call, while the dialog would be open.
    void setWhileOpen(std::function<void()> whileOpen) { whileOpen_ = std::move(whileOpen); }

    int calls() const { return calls_; }

    std::optional<QString> chooseTable(QWidget* parent) override;

private:
    std::deque<std::optional<QString>> answers_;
    std::function<void()> whileOpen_;
    int calls_ = 0;
};

} // namespace platform
