#include "storage/text_file.h"

#include "storage/text_encoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace storage {

namespace {

QString singleLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

StateFileBytes readStateFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    const auto cannotRead = [&] {
        return QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, cannotRead()};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {std::nullopt, cannotRead()};
    }
    std::optional<QString> problem;
    if (!bytes.isValidUtf8()) {
        problem = QStringLiteral("%1 is not valid UTF-8; read as Windows-1252").arg(path);
    }
    return {std::move(bytes), std::move(problem)};
}

SaveResult saveStateFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return SaveResult::failure(
            QStringLiteral("Cannot save %1: cannot create its folder").arg(path));
    }
    QSaveFile file(path);
    const auto cannotSave = [&] {
        return SaveResult::failure(
            QStringLiteral("Cannot save %1: %2").arg(path, file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return cannotSave();
    }
    // Qt 6.4's commit() ignores a flush that fails (a full disk, a file size limit), so the
    // flush is checked here: the old file must stay whole then.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        SaveResult failed = cannotSave(); // before cancelling, which may reset the error
        file.cancelWriting();
        return failed;
    }
    return file.commit() ? SaveResult::success() : cannotSave();
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
    const StateFileBytes read = readStateFile(path);
    TextLines result;
    if (read.bytes) {
        result = parseTextFile(*read.bytes);
    }
    if (read.problem) {
        result.problems.append(*read.problem);
    }
    if (read.bytes && !result.trans) {
        result.problems.append(
            QStringLiteral("%1 holds %2 of its 2 lines; a missing text is read as empty")
                .arg(path)
                .arg(result.orig ? 1 : 0));
    }
    return result;
}

SaveResult writeTextFile(const QString& path, const QString& orig, const QString& trans) {
    return saveStateFile(path, encodeStateLines({singleLine(orig), singleLine(trans)}));
}

} // namespace storage
