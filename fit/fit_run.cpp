#include "fit/fit_run.h"

#include "core/screen_widths.h"
#include "core/table_encoding.h"
#include "fit/fit_io.h"
#include "fit/fit_options.h"
#include "fit/fit_report.h"
#include "fit/screen_check.h"
#include "fit/wrap_run.h"
#include "storage/text_encoding.h"

#include <algorithm>
#include <optional>
#include <string_view>
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

    if (options.wrap) {
        return runWrap(WrapJob{options.table, options.widths, options.translation, options.output},
                       out, err);
    }

    QString error;
    QByteArray warnings;
    const auto table = loadTable(options.table, error, warnings);
    const auto widths = table && !options.widths.isEmpty()
                            ? loadWidthFile(options.widths, error, warnings)
                            : std::nullopt;
    const bool ready = table && (options.widths.isEmpty() || widths);
    const auto originalBytes = ready ? readFile(options.original, error) : std::nullopt;
    const auto translationBytes =
        originalBytes ? readFile(options.translation, error) : std::nullopt;
    print(err, warnings);
    if (!translationBytes) {
        complain(err, error);
        return kBadInput;
    }

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

    const auto screen = widths
                            ? std::optional<screen::ScreenMeasure>(std::in_place, *table, *widths)
                            : std::nullopt;
    const ScriptCheck check =
        checkScript(*table, original, translation,
                    options.optimal ? encoding::Strategy::Optimal : encoding::Strategy::Greedy,
                    options.limit, options.json, screen ? &*screen : nullptr);
    print(out, options.json ? formatJson(check) : formatRows(check, translation));
    return check.over + check.offScreen == 0 ? kAllFit : kSomeOver;
}

} // namespace fit
