#include "fit/fit_run.h"

#include "core/table_encoding.h"
#include "fit/fit_options.h"
#include "fit/fit_report.h"
#include "fit/input_files.h"
#include "fit/script_run.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <thread>

namespace fit {

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

    InputReader reader;
    reader.err = err;
    if (!options.encoding.isEmpty()) {
        reader.charSet = storage::NamedCharSet::find(options.encoding);
        if (!reader.charSet) {
            complain(
                err,
                QStringLiteral("--encoding: no character set is called %1").arg(options.encoding));
            return kBadInput;
        }
    }
    const auto translationTable = reader.table(options.table);
    const bool ownTable = !options.originalTable.isEmpty();
    const auto originalTable =
        translationTable && ownTable ? reader.table(options.originalTable) : std::nullopt;
    if (!translationTable || (ownTable && !originalTable)) {
        complain(err, reader.error);
        return kBadInput;
    }
    const encoding::TableEncoding& table = *translationTable;
    const encoding::TableEncoding& originalsTable = ownTable ? *originalTable : table;
    if (!options.script.isEmpty() || !options.csv.isEmpty()) {
        return runRealScript(options, reader, originalsTable, table, out);
    }

    const auto originalBytes = reader.bytes(options.original);
    const auto translationBytes = originalBytes ? reader.bytes(options.translation) : std::nullopt;
    if (!translationBytes) {
        complain(err, reader.error);
        return kBadInput;
    }
    // Decoding is a good part of the work on a long script: the two files in parallel.
    storage::DecodedInput originalInput;
    storage::DecodedInput translationInput;
    QStringList original;
    QStringList translation;
    {
        std::thread other;
        try {
            other = std::thread([&] { original = reader.lines(*originalBytes, originalInput); });
        } catch (const std::system_error&) {
            original = reader.lines(*originalBytes, originalInput);
        }
        translation = reader.lines(*translationBytes, translationInput);
        if (other.joinable()) {
            other.join();
        }
    }
    reader.warnAbout(options.original, originalInput);
    reader.warnAbout(options.translation, translationInput);
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
        checkScript(originalsTable, table, original, translation,
                    options.optimal ? encoding::Strategy::Optimal : encoding::Strategy::Greedy,
                    options.limit, options.json);
    print(out, options.json ? formatJson(check) : formatRows(check, translation));
    return check.over == 0 ? kAllFit : kSomeOver;
}

} // namespace fit
