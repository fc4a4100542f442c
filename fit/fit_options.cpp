#include "fit/fit_options.h"

#include <algorithm>
#include <iterator>

namespace fit {

QString usage() {
    return QStringLiteral(
        "usage: tavrel-fit --table FILE.tbl (ORIGINAL.txt TRANSLATION.txt | --script DUMP.txt | "
        "--csv SCRIPT.csv [--columns ORIG,TRANS[,LIMIT]]) [--widths FILE.wid] "
        "[--original-table FILE.tbl] [--encoding NAME] [--optimal] [--limit N] [--json], or "
        "tavrel-fit --wrap --widths FILE.wid --table FILE.tbl TRANSLATION.txt [-o OUT]");
}

ParsedOptions parseOptions(const QStringList& arguments) {
    FitOptions options;
    QStringList files;
    const auto fail = [](const QString& message) { return ParsedOptions{std::nullopt, message}; };
    // The options whose value is a file or a name.
    QString* const text[] = {&options.table, &options.originalTable, &options.script,
                             &options.csv,   &options.encoding,      &options.widths,
                             &options.output};
    const char16_t* const names[] = {u"--table",    u"--original-table", u"--script", u"--csv",
                                     u"--encoding", u"--widths",         u"-o"};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto named = std::find_if(std::begin(names), std::end(names),
                                        [&](const char16_t* name) { return argument == name; });
        if (argument == u"--help" || argument == u"-h") {
            options.help = true;
            return ParsedOptions{options, {}};
        }
        if (argument == u"--optimal") {
            options.optimal = true;
        } else if (argument == u"--json") {
            options.json = true;
        } else if (argument == u"--wrap") {
            options.wrap = true;
        } else if (named != std::end(names) || argument == u"--limit" || argument == u"--columns") {
            if (i + 1 == arguments.size()) {
                return fail(argument + QStringLiteral(" needs a value"));
            }
            const QString& value = arguments[++i];
            if (named != std::end(names)) {
                *text[named - std::begin(names)] = value;
                continue;
            }
            if (argument == u"--columns") {
                options.columns = value.split(u',');
                if (options.columns.size() < 2 || options.columns.size() > 3 ||
                    options.columns.contains(QString())) {
                    return fail(QStringLiteral("--columns needs ORIG,TRANS or ORIG,TRANS,LIMIT, "
                                               "not ") +
                                value);
                }
                continue;
            }
            bool ok = false;
            const qulonglong limit = value.toULongLong(&ok);
            if (!ok) {
                return fail(QStringLiteral("--limit needs a number of bytes, not ") + value);
            }
            options.limit = static_cast<std::size_t>(limit);
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            return fail(QStringLiteral("unknown option ") + argument);
        } else {
            files.append(argument);
        }
    }
    if (options.table.isEmpty()) {
        return fail(QStringLiteral("--table is missing"));
    }
    const bool realScript = !options.script.isEmpty() || !options.csv.isEmpty();
    if (options.wrap) {
        if (options.widths.isEmpty() || files.size() != 1 || options.json || options.optimal ||
            options.limit || realScript) {
            return fail(QStringLiteral("--wrap needs --widths and one translation file, and "
                                       "takes no --json, --optimal, --limit, --script or --csv"));
        }
        options.translation = files[0];
        return ParsedOptions{options, {}};
    }
    if (!options.output.isEmpty()) {
        return fail(QStringLiteral("-o is for --wrap"));
    }
    if (realScript) {
        if (!options.script.isEmpty() && !options.csv.isEmpty()) {
            return fail(QStringLiteral("--script and --csv exclude each other"));
        }
        if (!files.isEmpty()) {
            return fail(QStringLiteral("a script given with --script or --csv takes no other "
                                       "script file; %1 given")
                            .arg(files.size()));
        }
        return ParsedOptions{options, {}};
    }
    if (!options.columns.isEmpty()) {
        return fail(QStringLiteral("--columns goes with --csv"));
    }
    if (files.size() != 2) {
        return fail(QStringLiteral("two script files are needed, the original and the "
                                   "translation; %1 given")
                        .arg(files.size()));
    }
    options.original = files[0];
    options.translation = files[1];
    return ParsedOptions{options, {}};
}

} // namespace fit
