#include "platform/open_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace platform {

std::optional<QString> QtOpenFileDialog::chooseTable(QWidget* parent) {
    QFileDialog dialog(parent);
    // Qt's dialog rather than a desktop portal or GTK's: it behaves the same everywhere, and
    // a path typed into its name field followed by Enter opens that file.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Tavole per Thingy (*.tbl)"));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return QFileInfo(chosen.constFirst()).absoluteFilePath();
}

std::optional<QString> FakeOpenFileDialog::chooseTable(QWidget* /*parent*/) {
    ++calls_;
    if (whileOpen_) {
        whileOpen_();
    }
    if (answers_.empty()) {
        return std::nullopt;
    }
    std::optional<QString> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

} // namespace platform
