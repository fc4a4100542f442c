#include "storage/text_file.h"

#include "storage/text_encoding.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace storage {

namespace {

void warn(const QString& message) {
    qWarning().noquote() << message;
}

QString singleLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

std::optional<QByteArray> readStateFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        warn(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        warn(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    if (!isValidUtf8(bytes)) {
        warn(QStringLiteral("%1 is not valid UTF-8; read as Windows-1252").arg(path));
    }
    return bytes;
}

bool saveStateFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        warn(QStringLiteral("Cannot save %1: cannot create its folder").arg(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        warn(QStringLiteral("Cannot save %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        warn(QStringLiteral("Cannot save %1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        warn(QStringLiteral("Cannot save %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

TextLines parseTextFile(QByteArrayView bytes) {
    const QStringList lines = decodeStateLines(bytes);
    TextLines result;
    result.existed = true;
    if (lines.size() > 0) {
        result.orig = lines[0];
    }
    if (lines.size() > 1) {
        result.trans = lines[1];
    }
    return result;
}

TextLines readTextFile(const QString& path) {
    const std::optional<QByteArray> bytes = readStateFile(path);
    if (!bytes) {
        return {};
    }
    TextLines result = parseTextFile(*bytes);
    if (!result.trans) {
        warn(QStringLiteral("%1 holds %2 of its 2 lines; a missing text is read as empty")
                 .arg(path)
                 .arg(result.orig ? 1 : 0));
    }
    return result;
}

bool writeTextFile(const QString& path, const QString& orig, const QString& trans) {
    return saveStateFile(path, encodeStateLines({singleLine(orig), singleLine(trans)}));
}

} // namespace storage
