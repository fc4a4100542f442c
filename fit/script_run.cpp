#include "fit/script_run.h"

#include "core/check_engine.h"
#include "core/csv_script.h"
#include "core/dump_script.h"
#include "fit/dump_report.h"
#include "fit/fit_report.h"
#include "storage/text_encoding.h"

#include <algorithm>
#include <set>

namespace fit {

namespace {

// The end tokens of a table as texts of a dump: their part before the first line end, which
// in a dump is a line end of the file.
std::vector<std::u16string> endTokens(const encoding::TableEncoding& table) {
    std::vector<std::u16string> ends;
    for (const encoding::TableEntry& entry : table.entries()) {
        if (entry.kind != encoding::EntryKind::End) {
            continue;
        }
        const std::size_t cut = std::min(entry.text.find(u"\\n"), entry.text.find(u'\n'));
        if (cut > 0) {
            ends.push_back(entry.text.substr(0, cut));
        }
    }
    return ends;
}

int badLine(const ScriptReader& reader, const QString& path, std::size_t line,
            const std::string& message) {
    complain(
        reader.err,
        QStringLiteral("%1, line %2: %3").arg(path).arg(line).arg(QString::fromStdString(message)));
    return kBadInput;
}

// The pictures, when asked for, after the report; false when one could not be written.
bool writtenPreviews(const ScriptReader& reader, const Preview* preview,
                     const std::optional<screen::ScreenMeasure>& screen,
                     const std::vector<check::Item>& items, const check::Check& check,
                     const std::function<QString(std::size_t)>& name) {
    QString error;
    if (preview && !writePreviews(*preview, *screen, items, check, name, error)) {
        complain(reader.err, error);
        return false;
    }
    return true;
}

int runDump(const FitOptions& options, const QString& text, ScriptReader& reader,
            const encoding::TableEncoding& originalTable,
            const encoding::TableEncoding& translationTable, const screen::WidthFile* widths,
            const Preview* preview, std::FILE* out) {
    const script::DumpRead read =
        script::readDump(storage::utf16View(text),
                         script::EndTokens{endTokens(originalTable), endTokens(translationTable)});
    if (read.error) {
        return badLine(reader, options.script, read.error->line, read.error->message);
    }
    const script::DumpScript& dump = read.script;
    if (dump.strings.empty()) {
        complain(reader.err, QStringLiteral("%1: no strings found").arg(options.script));
        return kBadInput;
    }
    // Read as one stream and cut nowhere: most likely a plain script given as a dump.
    const bool pointers = !dump.strings.front().pointers.empty();
    const auto holdsEndToken = [&text](const encoding::TableEncoding& table) {
        const std::vector<std::u16string> ends = endTokens(table);
        return std::any_of(ends.begin(), ends.end(), [&text](const std::u16string& end) {
            return text.contains(QString::fromStdU16String(end));
        });
    };
    if (!pointers && !holdsEndToken(originalTable) && !holdsEndToken(translationTable)) {
        complain(reader.err, QStringLiteral("%1 has no pointer commands and no end tokens: it may "
                                            "not be a dump (two plain files are checked without "
                                            "--script)")
                                 .arg(options.script));
    }
    if (dump.skippedCommands > 0) {
        complain(reader.err,
                 QStringLiteral("%1: %2 %3 read and ignored (first: line %4)")
                     .arg(options.script)
                     .arg(dump.skippedCommands)
                     .arg(QLatin1String(dump.skippedCommands == 1 ? "command" : "commands"))
                     .arg(*dump.firstSkippedCommand));
    }
    std::set<std::u16string> rawBytes;
    for (const script::DumpString& string : dump.strings) {
        script::collectRawBytes(string.original, rawBytes);
        script::collectRawBytes(string.translation, rawBytes);
    }
    const auto asDumpReadsIt = [&rawBytes](const encoding::TableEncoding& table) {
        return encoding::TableEncoding::build(script::dumpTableEntries(table.entries(), rawBytes));
    };
    const encoding::TableEncoding translation = asDumpReadsIt(translationTable);
    std::optional<encoding::TableEncoding> ownOriginal;
    if (&originalTable != &translationTable) {
        ownOriginal = asDumpReadsIt(originalTable);
    }
    // Laid out with the table as the dump reads it, so that the file's line ends take no room.
    const auto screen =
        widths ? std::optional<screen::ScreenMeasure>(std::in_place, translation, *widths)
               : std::nullopt;
    // A dump's text ends a file line, which labels such as "<end>\n\n" look for; the line
    // end itself costs nothing.
    std::vector<std::u16string> texts;
    texts.reserve(2 * dump.strings.size());
    for (const script::DumpString& string : dump.strings) {
        texts.push_back(string.original + u'\n');
        texts.push_back(string.translation + u'\n');
    }
    std::vector<check::Item> items;
    items.reserve(dump.strings.size());
    for (std::size_t i = 0; i < dump.strings.size(); ++i) {
        const script::DumpString& string = dump.strings[i];
        items.push_back(check::Item{texts[2 * i], texts[2 * i + 1], string.translated,
                                    check::settleBudget(options.limit, string.recordedRoom,
                                                        check::BudgetSource::RecordedRoom),
                                    string.block});
    }
    std::vector<std::optional<std::uint64_t>> rooms;
    for (const script::DumpBlock& block : dump.blocks) {
        rooms.push_back(block.room());
    }
    const encoding::TableEncoding& originals = ownOriginal ? *ownOriginal : translation;
    const CodeTables codes(options, originals, translation, widths);
    const check::Check check = check::checkItems(
        rulesFor(options, originals, translation, screen ? &*screen : nullptr, codes), items,
        rooms);
    print(out, options.json ? formatDumpJson(dump, check) : formatDumpRows(dump, check));
    const auto name = [&dump](std::size_t i) {
        return QStringLiteral("string-%1.png").arg(dump.strings[i].line);
    };
    return writtenPreviews(reader, preview, screen, items, check, name)
               ? check.allFit() ? kAllFit : kSomeOver
               : kBadInput;
}

int runCsv(const FitOptions& options, const QString& text, ScriptReader& reader,
           const encoding::TableEncoding& originalTable,
           const encoding::TableEncoding& translationTable, const screen::WidthFile* widths,
           const Preview* preview, std::FILE* out) {
    script::CsvColumns columns;
    columns.separator = options.separator;
    if (!options.columns.isEmpty()) {
        columns.original = options.columns.value(0).toStdString();
        columns.translation = options.columns.value(1).toStdString();
        columns.limit = options.columns.value(2).toStdString();
    }
    const script::CsvRead read = script::readCsv(text.toStdString(), columns);
    if (read.error) {
        return badLine(reader, options.csv, read.error->line, read.error->message);
    }
    QStringList original;
    QStringList translation;
    std::vector<std::size_t> fileLines;
    for (const script::CsvRow& row : read.rows) {
        original.append(QString::fromStdString(row.original));
        translation.append(QString::fromStdString(row.translation));
        fileLines.push_back(row.line);
    }
    std::vector<check::Item> items;
    items.reserve(read.rows.size());
    for (qsizetype i = 0; i < original.size(); ++i) {
        items.push_back(check::Item{
            storage::utf16View(original[i]), storage::utf16View(translation[i]), true,
            check::settleBudget(options.limit, read.rows[static_cast<std::size_t>(i)].limit,
                                check::BudgetSource::Limit),
            std::nullopt});
    }
    const auto screen =
        widths ? std::optional<screen::ScreenMeasure>(std::in_place, translationTable, *widths)
               : std::nullopt;
    const CodeTables codes(options, originalTable, translationTable, widths);
    const check::Check check = check::checkItems(
        rulesFor(options, originalTable, translationTable, screen ? &*screen : nullptr, codes),
        items);
    if (options.json) {
        print(out, formatJson(check, &fileLines));
    } else {
        writeRows(out, check, items, &fileLines);
    }
    const auto name = [](std::size_t i) { return QStringLiteral("record-%1.png").arg(i + 1); };
    return writtenPreviews(reader, preview, screen, items, check, name)
               ? check.allFit() ? kAllFit : kSomeOver
               : kBadInput;
}

} // namespace

int runRealScript(const FitOptions& options, ScriptReader& reader,
                  const encoding::TableEncoding& originalTable,
                  const encoding::TableEncoding& translationTable, const screen::WidthFile* widths,
                  const Preview* preview, std::FILE* out) {
    const bool dump = !options.script.isEmpty();
    const auto text = reader.text(dump ? options.script : options.csv);
    if (!text) {
        complain(reader.err, reader.error);
        return kBadInput;
    }
    return dump ? runDump(options, *text, reader, originalTable, translationTable, widths, preview,
                          out)
                : runCsv(options, *text, reader, originalTable, translationTable, widths, preview,
                         out);
}

} // namespace fit
