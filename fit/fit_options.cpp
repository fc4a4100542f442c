#include "fit/fit_options.h"

namespace fit {

QString usage() {
    return QStringLiteral("usage: tavrel-fit --table FILE.tbl [--widths FILE.wid] ORIGINAL.txt "
                          "TRANSLATION.txt [--optimal] [--limit N] [--json], or tavrel-fit "
                          "--wrap --widths FILE.wid --table FILE.tbl TRANSLATION.txt [-o OUT]");
}

ParsedOptions parseOptions(const QStringList& arguments) {
    FitOptions options;
    QStringList files;
    const auto fail = [](const QString& message) { return ParsedOptions{std::nullopt, message}; };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
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
        } else if (argument == u"--widths" || argument == u"-o") {
            if (i + 1 == arguments.size()) {
                return fail(argument + QStringLiteral(" needs a value"));
            }
            (argument == u"-o" ? options.output : options.widths) = arguments[++i];
        } else if (argument == u"--table" || argument == u"--limit") {
            if (i + 1 == arguments.size()) {
                return fail(argument + QStringLiteral(" needs a value"));
            }
            const QString& value = arguments[++i];
            if (argument == u"--table") {
                options.table = value;
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
    if (options.wrap) {
        if (options.widths.isEmpty() || files.size() != 1 || options.json || options.optimal ||
            options.limit) {
            return fail(QStringLiteral("--wrap needs --widths and one translation file, and "
                                       "takes no --json, --optimal or --limit"));
        }
        options.translation = files[0];
        return ParsedOptions{options, {}};
    }
    if (!options.output.isEmpty()) {
        return fail(QStringLiteral("-o is for --wrap"));
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
