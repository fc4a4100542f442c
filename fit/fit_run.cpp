#include "fit/fit_run.h"

#include "core/table_encoding.h"
#include "fit/fit_options.h"
#include "fit/fit_report.h"
#include "storage/text_encoding.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

namespace fit {

namespace {

constexpr int kAllFit = 0;
constexpr int kSomeOver = 1;
constexpr int kBadInput = 2;

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

} // namespace

int run(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    const ParsedOptions parsed = parseOptions(arguments);
    if (!parsed.options) {
        complain(err, parsed.error + QStringLiteral(" (") + usage() + u')');
        return kBadInput;
    }
    const FitOptions& options = *parsed.options;
    if (options.help) {
        print(out, (usage() + u'\n').toUtf8());
        return kAllFit;
    }

    QString error;
    const auto tableBytes = readFile(options.table, error);
    const auto originalBytes = tableBytes ? readFile(options.original, error) : std::nullopt;
    const auto translationBytes =
        originalBytes ? readFile(options.translation, error) : std::nullopt;
    if (!translationBytes) {
        complain(err, error);
        return kBadInput;
    }

    const std::string_view tableView(tableBytes->constData(),
                                     static_cast<std::size_t>(tableBytes->size()));
    const auto table = encoding::TableEncoding::read(
        tableView,
        storage::tableEntryDecoder(tableView, storage::TableCharsets::Utf8OrWindows1252));
    if (table.entries().empty()) {
        complain(err, QStringLiteral("%1 holds no entry").arg(options.table));
        return kBadInput;
    }
    if (table.skippedLines() > 0) {
        complain(err, QStringLiteral("%1: %2 lines not understood and skipped (first: line %3)")
                          .arg(options.table)
                          .arg(table.skippedLines())
                          .arg(table.firstSkippedLine().value_or(0)));
    }
    const auto warn = [&](const encoding::TableWarning& warning, const char* what) {
        if (warning.count > 0) {
            complain(err, QStringLiteral("%1: %2: %3 (first: line %4)")
                              .arg(options.table, QLatin1String(what))
                              .arg(warning.count)
                              .arg(warning.firstLine));
        }
    };
    warn(table.warnings().sameCodeOtherText,
         "entries giving a code another text than an earlier entry, the game shows only one");
    warn(table.warnings().prefixCode,
         "entries whose code starts a longer code, lines may be misread");

    // Decoding is a good part of the work on a long script: the two files in parallel.
    QStringList original;
    QStringList translation;
    {
        std::thread other;
        try {
            other = std::thread([&] { original = storage::decodeStateLines(*originalBytes); });
        } catch (const std::system_error&) {
            original = storage::decodeStateLines(*originalBytes);
        }
        translation = storage::decodeStateLines(*translationBytes);
        if (other.joinable()) {
            other.join();
        }
    }
    // An editor's empty line at the end of one script only is no line of the script.
    for (QStringList* longer : {&original, &translation}) {
        if (longer->size() == std::max(original.size(), translation.size()) &&
            longer->size() == std::min(original.size(), translation.size()) + 1 &&
            longer->last().isEmpty()) {
            longer->removeLast();
        }
    }
    if (original.size() != translation.size()) {
        complain(err, QStringLiteral("%1 has %2 lines, %3 has %4")
                          .arg(options.original)
                          .arg(original.size())
                          .arg(options.translation)
                          .arg(translation.size()));
        return kBadInput;
    }

    const ScriptCheck check =
        checkScript(table, original, translation,
                    options.optimal ? encoding::Strategy::Optimal : encoding::Strategy::Greedy,
                    options.limit, options.json);
    print(out, options.json ? formatJson(check) : formatRows(check, translation));
    return check.over == 0 ? kAllFit : kSomeOver;
}

} // namespace fit
