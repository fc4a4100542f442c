#include "platform/system/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
namespace {

QString canonical(const QString& folder) {
    const QString path = QFileInfo(folder).canonicalFilePath();
    return path.isEmpty() ? QDir::cleanPath(folder) : path;
}

} // namespace

bool isInstalledCopy(const QString& executableFolder, const QString& installBinFolder) {
    return !installBinFolder.isEmpty() &&
           canonical(executableFolder) == canonical(installBinFolder);
}

QString programFolder() {
    const QString executableFolder = QCoreApplication::applicationDirPath();
    if (!isInstalledCopy(executableFolder, QStringLiteral(TAVREL_INSTALL_BINDIR))) {
        return executableFolder;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

} // namespace platform
