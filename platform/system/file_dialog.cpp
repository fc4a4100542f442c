#include "platform/system/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace platform {

std::optional<QString> QtFileDialog::chooseTable(QWidget* parent) {
    QFileDialog dialog(parent);
    // Qt's dialog rather than a desktop portal or GTK's: it behaves the same everywhere, and
    // a path typed into its name field followed by Enter opens that file.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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

} // namespace platform
