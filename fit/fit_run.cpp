#include "fit/fit_run.h"

#include "core/screen_widths.h"
#include "core/table_encoding.h"
#include "fit/fit_io.h"
#include "fit/fit_options.h"
#include "fit/fit_report.h"
#include "fit/preview_run.h"
#include "fit/screen_check.h"
#include "fit/script_run.h"
#include "fit/wrap_run.h"
#include "storage/text_encoding.h"

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
    if (options.help || options.version) {
        print(out, options.help ? options.helpText.toUtf8()
                                : QByteArrayLiteral("tavrel-fit " TAVREL_VERSION "\n"));
        return kAllFit;
    }

    ScriptReader reader;
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
    if (options.wrap) {
        return runWrap(WrapJob{options.table, options.widths, options.translation, options.output,
                               reader.charSet},
                       out, err);
    }
    QString& error = reader.error;
    QByteArray warnings;
    const auto table = loadTable(options.table, error, warnings, reader.charSet);
    const bool ownTable = !options.originalTable.isEmpty();
    const auto originalTable =
        table && ownTable ? loadTable(options.originalTable, error, warnings, reader.charSet)
                          : std::nullopt;
    const bool tables = table && (!ownTable || originalTable);
    const auto widths = tables && !options.widths.isEmpty()
                            ? loadWidthFile(options.widths, error, warnings)
                            : std::nullopt;
    // A sheet is opened only when pictures are asked for.
    const std::optional<Preview> preview =
        widths ? preparePreview(options, *widths, error) : std::nullopt;
    const bool ready = tables && (options.widths.isEmpty() || widths) &&
                       ((options.preview.isEmpty() && options.previewAll.isEmpty()) || preview);
    const bool realScript = !options.script.isEmpty() || !options.csv.isEmpty();
    print(err, warnings);
    if (!ready) {
        complain(err, error);
        return kBadInput;
    }
    const encoding::TableEncoding& originalsTable = ownTable ? *originalTable : *table;
    if (realScript) {
        return runRealScript(options, reader, originalsTable, *table, widths ? &*widths : nullptr,
                             preview ? &*preview : nullptr, out);
    }

    // Reading and decoding are a good part of the work on a long script: the two files in
    // parallel, each file's bytes let go once decoded.
    struct Script {
        const QString& path;
        QString error;
        bool read = false;
        storage::DecodedInput input;
        ScriptLines lines;
    };
    Script originalScript{options.original, {}, false, {}, {}};
    Script translationScript{options.translation, {}, false, {}, {}};
    const auto load = [&reader](Script& script) {
        if (const auto bytes = readFile(script.path, script.error)) {
            script.read = true;
            script.lines = reader.lines(*bytes, script.input);
        }
    };
    {
        std::thread other;
        try {
            other = std::thread(load, std::ref(originalScript));
        } catch (const std::system_error&) {
            load(originalScript);
        }
        load(translationScript);
        if (other.joinable()) {
            other.join();
        }
    }
    for (const Script* script : {&originalScript, &translationScript}) {
        if (!script->read) {
            complain(err, script->error);
            return kBadInput;
        }
    }
    for (const Script* script : {&originalScript, &translationScript}) {
        reader.warnAbout(script->path, script->input);
    }
    std::vector<std::u16string_view>& originals = originalScript.lines.lines;
    std::vector<std::u16string_view>& translations = translationScript.lines.lines;
    // An editor's empty line at the end of one script only is no line of the script.
    for (std::vector<std::u16string_view>* longer : {&originals, &translations}) {
        if (longer->size() == std::max(originals.size(), translations.size()) &&
            longer->size() == std::min(originals.size(), translations.size()) + 1 &&
            longer->back().empty()) {
            longer->pop_back();
        }
    }
    if (originals.size() != translations.size()) {
        const auto lines = [](const std::vector<std::u16string_view>& script) {
            return counted(script.size(), "line", "lines");
        };
        complain(err, QStringLiteral("%1 has %2, %3 has %4")
                          .arg(options.original, lines(originals), options.translation,
                               lines(translations)));
        return kBadInput;
    }

    const auto screen = widths
                            ? std::optional<screen::ScreenMeasure>(std::in_place, *table, *widths)
                            : std::nullopt;
    std::vector<check::Item> items;
    items.reserve(originals.size());
    const check::Budget budget =
        check::settleBudget(options.limit, std::nullopt, check::BudgetSource::Original);
    for (std::size_t i = 0; i < originals.size(); ++i) {
        items.push_back(check::Item{originals[i], translations[i], true, budget, std::nullopt});
    }
    const CodeTables codes(options, originalsTable, *table, widths ? &*widths : nullptr);
    const check::Check check = check::checkItems(
        rulesFor(options, originalsTable, *table, screen ? &*screen : nullptr, codes), items);
    if (options.json) {
        print(out, formatJson(check));
    } else {
        writeRows(out, check, items);
    }
    if (preview &&
        !writePreviews(
            *preview, *screen, items, check,
            [](std::size_t i) { return QStringLiteral("line-%1.png").arg(i + 1); }, error)) {
        complain(err, error);
        return kBadInput;
    }
    return check.allFit() ? kAllFit : kSomeOver;
}

} // namespace fit
