#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace platform {

// The open-file dialog through which the user picks a character table. Tests hand the main
// window a fake in its place.
class FileDialog {
public:
    FileDialog() = default;
    virtual ~FileDialog() = default;
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // Shows a modal dialog over `parent` and waits. Nothing when the user cancels, otherwise
    // the absolute path of an existing file.
    virtual std::optional<QString> chooseTable(QWidget* parent) = 0;
};

// Qt's own file dialog (not the desktop's), the same on every desktop: one filter,
// "Tavole per Thingy (*.tbl)", and only an existing file is accepted. Title and starting
// folder are the dialog's defaults.
class QtFileDialog final : public FileDialog {
public:
    std::optional<QString> chooseTable(QWidget* parent) override;
};

} // namespace platform
