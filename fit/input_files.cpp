#include "fit/input_files.h"

#include "storage/text_encoding.h"

#include <QFile>
#include <QFileInfo>

namespace fit {

namespace {

void warnAboutCharSet(const InputReader& reader, const QString& path,
                      const storage::DecodedInput& input) {
    if (input.charSet == storage::InputCharSet::Windows1252) {
        complain(reader.err, QStringLiteral("%1 is not UTF-8: read as Windows-1252 (--encoding "
                                            "NAME reads it in another character set)")
                                 .arg(path));
    } else if (input.errors) {
        complain(reader.err, QStringLiteral("%1 holds bytes that are not %2: each read as U+FFFD")
                                 .arg(path, QString::fromLatin1(reader.charSet->name())));
    }
}

} // namespace

void print(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void complain(std::FILE* err, const QString& message) {
    print(err, (QStringLiteral("tavrel-fit: ") + message + u'\n').toUtf8());
}

// QFile opens a directory without complaint; reading it then gives nothing.
std::optional<QByteArray> InputReader::bytes(const QString& path) {
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

std::optional<QString> InputReader::text(const QString& path) {
    const auto read = bytes(path);
    if (!read) {
        return std::nullopt;
    }
    storage::DecodedInput input = storage::decodeInput(*read, charSet);
    warnAboutCharSet(*this, path, input);
    return std::move(input.text);
}

std::optional<QStringList> InputReader::lines(const QString& path) {
    const auto whole = text(path);
    if (!whole) {
        return std::nullopt;
    }
    QStringList lines = whole->split(u'\n');
    if (lines.back().isEmpty()) {
        lines.removeLast();
    }
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    return lines;
}

std::optional<encoding::TableEncoding> InputReader::table(const QString& path) {
    const auto read = bytes(path);
    if (!read) {
        return std::nullopt;
    }
    const std::string_view view(read->constData(), static_cast<std::size_t>(read->size()));
    encoding::TextDecoder decoder;
    if (!storage::isValidUtf8(*read) && charSet) {
        decoder = charSet->entryDecoder();
    } else {
        decoder = storage::tableDecoderChooser()(view);
        if (!storage::isValidUtf8(*read)) {
            warnAboutCharSet(*this, path, {{}, storage::InputCharSet::Windows1252, false});
        }
    }
    auto table = encoding::TableEncoding::read(view, decoder);
    if (table.entries().empty()) {
        error = QStringLiteral("%1 holds no entry").arg(path);
        return std::nullopt;
    }
    if (table.skippedLines() > 0) {
        complain(err, QStringLiteral("%1: %2 lines not understood and skipped (first: line %3)")
                          .arg(path)
                          .arg(table.skippedLines())
                          .arg(table.firstSkippedLine().value_or(0)));
    }
    return table;
}

} // namespace fit
