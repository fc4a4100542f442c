#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
namespace {

QString folderOverride;

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
    if (!folderOverride.isEmpty()) {
        return folderOverride;
    }
    const QString executableFolder = QCoreApplication::applicationDirPath();
    if (!isInstalledCopy(executableFolder, QStringLiteral(TAVREL_INSTALL_BINDIR))) {
        return executableFolder;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

void setProgramFolderForTests(const QString& folder) {
    folderOverride = folder;
}

} // namespace platform
