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
QByteArray warningLine(const QString& path, const char* what, std::size_t count,
                       std::size_t firstLine) {
    if (count == 0) {
        return {};
    }
    return QStringLiteral("tavrel-fit: %1: %2: %3 (first: line %4)\n")
        .arg(path, QLatin1String(what))
        .arg(count)
        .arg(firstLine)
        .toUtf8();
}

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

namespace {

// The warning about a file that is not UTF-8 and was read in the set the program guessed; empty
// for a file read in UTF-8 or in the set --encoding names.
QString guessWarning(const QString& path, storage::InputCharSet charSet) {
    const char* guess = charSet == storage::InputCharSet::ShiftJis      ? "Shift_JIS"
                        : charSet == storage::InputCharSet::Windows1252 ? "Windows-1252"
                                                                        : nullptr;
    if (guess == nullptr) {
        return {};
    }
    return QStringLiteral("%1 is not UTF-8: read as %2 (--encoding NAME reads it in another "
                          "character set)")
        .arg(path, QLatin1String(guess));
}

QString notInSetWarning(const QString& path, storage::InputCharSet chosen,
                        const std::optional<storage::NamedCharSet>& charSet) {
    return QStringLiteral("%1 holds bytes that are not %2: each read as U+FFFD")
        .arg(path, storage::charSetName(chosen, charSet));
}

} // namespace

std::optional<encoding::TableEncoding>
loadTable(const QString& path, QString& error, QByteArray& warnings,
          const std::optional<storage::NamedCharSet>& charSet) {
    const auto bytes = readFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view view(bytes->constData(), static_cast<std::size_t>(bytes->size()));
    const storage::TableDecoding decoding = storage::tableDecoding(view, charSet);
    if (const QString guess = guessWarning(path, decoding.charSet); !guess.isEmpty()) {
        warnings += QStringLiteral("tavrel-fit: %1\n").arg(guess).toUtf8();
    }
    if (decoding.errors) {
        warnings += QStringLiteral("tavrel-fit: %1\n")
                        .arg(notInSetWarning(path, decoding.charSet, charSet))
                        .toUtf8();
    }
    auto table = encoding::TableEncoding::read(decoding.bytes(view), decoding.decode);
    if (table.entries().empty()) {
        error = QStringLiteral("%1 holds no entry").arg(path);
        return std::nullopt;
    }
    const auto warn = [&](std::size_t count, std::size_t firstLine, const char* what) {
        warnings += warningLine(path, what, count, firstLine);
    };
    warn(table.skippedLines(), table.firstSkippedLine().value_or(0),
         "lines not understood and skipped");
    const encoding::TableWarnings& found = table.warnings();
    warn(found.sameCodeOtherText.count, found.sameCodeOtherText.firstLine,
         "entries giving a code another text than an earlier entry, the game shows only one");
    warn(found.prefixCode.count, found.prefixCode.firstLine,
         "entries whose code starts a longer code, lines may be misread");
    return table;
}

storage::DecodedInput ScriptReader::decode(const QByteArray& bytes) const {
    return storage::decodeInput(bytes, charSet);
}

ScriptLines ScriptReader::lines(const QByteArray& bytes, storage::DecodedInput& how) const {
    const storage::InputCharSet chosen = storage::chooseCharSet(bytes, charSet);
    ScriptLines script;
    // UTF-8 is chosen for bytes that are not UTF-8 only when a byte order mark starts them.
    if (chosen == storage::InputCharSet::Windows1252 ||
        (chosen == storage::InputCharSet::Utf8 &&
         (!bytes.startsWith("\xEF\xBB\xBF") || bytes.isValidUtf8()))) {
        how = {{}, chosen, false, bytes.startsWith("\xEF\xBB\xBF")};
        script.text = storage::decodeStateFile(bytes);
    } else {
        how = storage::decodeAs(bytes, chosen, charSet);
        script.text = std::move(how.text);
        how.text.clear();
    }
    script.lines = storage::lineViews(storage::utf16View(script.text));
    return script;
}

void ScriptReader::warnAbout(const QString& path, const storage::DecodedInput& input) const {
    if (const QString guess = guessWarning(path, input.charSet); !guess.isEmpty()) {
        complain(err, guess);
    } else if (input.errors) {
        complain(err, notInSetWarning(path, input.charSet, charSet));
    }
}

std::optional<QString> ScriptReader::text(const QString& path) {
    const auto read = readFile(path, error);
    if (!read) {
        return std::nullopt;
    }
    storage::DecodedInput input = decode(*read);
    warnAbout(path, input);
    return std::move(input.text);
}

} // namespace fit
