#include "fit/fit_io.h"

#include "storage/text_encoding.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace fit {

void print(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void complain(std::FILE* err, const QString& message) {
    print(err, (QStringLiteral("tavrel-fit: ") + message + u'\n').toUtf8());
}

// QFile opens a directory without complaint; reading it then gives nothing.
std::optional<QByteArray> readFile(const QString& path, QString& error) {
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        error = QStringLiteral("cannot read %1: it is a folder").arg(path);
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

std::optional<encoding::TableEncoding> loadTable(const QString& path, QString& error,
                                                 QByteArray& warnings) {
    const auto bytes = readFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view view(bytes->constData(), static_cast<std::size_t>(bytes->size()));
    auto table = encoding::TableEncoding::read(
        view, storage::tableEntryDecoder(view, storage::TableCharsets::Utf8OrWindows1252));
    if (table.entries().empty()) {
        error = QStringLiteral("%1 holds no entry").arg(path);
        return std::nullopt;
    }
    const auto warn = [&](std::size_t count, std::size_t firstLine, const char* what) {
        if (count > 0) {
            warnings += QStringLiteral("tavrel-fit: %1: %2: %3 (first: line %4)\n")
                            .arg(path, QLatin1String(what))
                            .arg(count)
                            .arg(firstLine)
                            .toUtf8();
        }
    };
    if (table.skippedLines() > 0) {
        warnings += QStringLiteral("tavrel-fit: %1: %2 lines not understood and skipped (first: "
                                   "line %3)\n")
                        .arg(path)
                        .arg(table.skippedLines())
                        .arg(table.firstSkippedLine().value_or(0))
                        .toUtf8();
    }
    const encoding::TableWarnings& found = table.warnings();
    warn(found.sameCodeOtherText.count, found.sameCodeOtherText.firstLine,
         "entries giving a code another text than an earlier entry, the game shows only one");
    warn(found.prefixCode.count, found.prefixCode.firstLine,
         "entries whose code starts a longer code, lines may be misread");
    return table;
}

} // namespace fit
