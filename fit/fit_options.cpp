#include "fit/fit_options.h"

#include <QCommandLineParser>

namespace fit {

QString usage() {
    return QStringLiteral(
        "usage: tavrel-fit --table FILE.tbl (ORIGINAL.txt TRANSLATION.txt | --script DUMP.txt | "
        "--csv SCRIPT.csv [--columns ORIG,TRANS[,LIMIT]] [--separator C]) [--widths FILE.wid] "
        "[--original-table FILE.tbl] [--encoding NAME] [--optimal] [--limit N] [--json] "
        "[--codes | --codes-order] [--preview DIR | --preview-all DIR], or "
        "tavrel-fit --wrap --widths FILE.wid --table FILE.tbl TRANSLATION.txt [-o OUT]");
}

namespace {

struct Valued {
    const char* name;
    QString FitOptions::*field;
    const char* valueName;
    const char* description;
};

constexpr Valued kValued[] = {
    {"table", &FitOptions::table, "FILE.tbl", "the game's table, for the translations"},
    {"original-table", &FitOptions::originalTable, "FILE.tbl",
     "the originals' own table (default: --table)"},
    {"script", &FitOptions::script, "DUMP.txt", "an extractor's dump instead of two files"},
    {"csv", &FitOptions::csv, "SCRIPT.csv", "a CSV script instead of two files"},
    {"encoding", &FitOptions::encoding, "NAME",
     "the character set of inputs that are neither UTF-8 nor marked by a byte order mark"},
    {"widths", &FitOptions::widths, "FILE.wid", "a width file: check the screen too"},
    {"o", &FitOptions::output, "OUT", "--wrap: write the wrapped text to OUT"},
    {"preview", &FitOptions::preview, "DIR",
     "write a picture of each translation that does not fit into DIR"},
    {"preview-all", &FitOptions::previewAll, "DIR",
     "write a picture of every translation into DIR"},
};

} // namespace

ParsedOptions parseOptions(const QStringList& arguments) {
    const auto fail = [](const QString& message) { return ParsedOptions{std::nullopt, message}; };
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks that each translated line fits its original's room: bytes under "
                       "the game's table and, with a width file, the screen."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("this help"));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("the program's version"));
    const QCommandLineOption optimal(QStringLiteral("optimal"),
                                     QStringLiteral("count under the optimal encoding"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("write JSON"));
    const QCommandLineOption codes(QStringLiteral("codes"),
                                   QStringLiteral("the translations keep their originals' codes"));
    const QCommandLineOption codesOrder(QStringLiteral("codes-order"),
                                        QStringLiteral("--codes, in the same order too"));
    const QCommandLineOption wrap(QStringLiteral("wrap"),
                                  QStringLiteral("re-wrap the translation to the screen"));
    const QCommandLineOption limit(QStringLiteral("limit"),
                                   QStringLiteral("one budget in bytes for every line"),
                                   QStringLiteral("N"));
    const QCommandLineOption columns(QStringLiteral("columns"),
                                     QStringLiteral("the CSV columns, by name or number"),
                                     QStringLiteral("ORIG,TRANS[,LIMIT]"));
    const QCommandLineOption separator(
        QStringLiteral("separator"),
        QStringLiteral("the CSV field separator: one ASCII character, or tab (default: the one "
                       "that splits the header into the most column names of , ; and tab)"),
        QStringLiteral("C"));
    parser.addOptions(
        {help, version, optimal, json, codes, codesOrder, wrap, limit, columns, separator});
    for (const Valued& valued : kValued) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(valued.name),
                                            QString::fromLatin1(valued.description),
                                            QString::fromLatin1(valued.valueName)));
    }
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("ORIGINAL.txt TRANSLATION.txt, or the "
                                                "translation to --wrap"));
    if (!parser.parse(QStringList{QStringLiteral("tavrel-fit")} + arguments)) {
        return fail(parser.errorText());
    }

    FitOptions options;
    if (parser.isSet(help) || parser.isSet(version)) {
        options.help = parser.isSet(help);
        options.version = !options.help;
        // Qt's own usage line names no program without an application object: ours instead.
        const QString qtHelp = parser.helpText();
        options.helpText = usage() + qtHelp.mid(qtHelp.indexOf(u'\n'));
        return ParsedOptions{options, {}};
    }
    for (const Valued& valued : kValued) {
        const QStringList values = parser.values(QString::fromLatin1(valued.name));
        if (!values.isEmpty()) {
            options.*valued.field = values.last();
        }
    }
    options.optimal = parser.isSet(optimal);
    options.json = parser.isSet(json);
    options.codesOrder = parser.isSet(codesOrder);
    options.codes = parser.isSet(codes) || options.codesOrder;
    options.wrap = parser.isSet(wrap);
    if (parser.isSet(limit)) {
        bool ok = false;
        const qulonglong bytes = parser.value(limit).toULongLong(&ok);
        if (!ok) {
            return fail(QStringLiteral("--limit needs a number of bytes, not ") +
                        parser.value(limit));
        }
        options.limit = bytes;
    }
    if (parser.isSet(columns)) {
        options.columns = parser.value(columns).split(u',');
        if (options.columns.size() < 2 || options.columns.size() > 3 ||
            options.columns.contains(QString())) {
            return fail(QStringLiteral("--columns needs ORIG,TRANS or ORIG,TRANS,LIMIT, not ") +
                        parser.value(columns));
        }
    }
    if (parser.isSet(separator)) {
        const QString value = parser.value(separator);
        const QString character = value == u"tab" || value == u"\\t" ? QStringLiteral("\t") : value;
        if (character.size() != 1 || character[0].unicode() >= 0x80 || character[0] == u'"' ||
            character[0] == u'\n' || character[0] == u'\r') {
            return fail(QStringLiteral("--separator needs one ASCII character or tab, not ") +
                        value);
        }
        options.separator = static_cast<char>(character[0].unicode());
    }
    const QStringList files = parser.positionalArguments();

    if (options.table.isEmpty()) {
        return fail(QStringLiteral("--table is missing"));
    }
    const bool realScript = !options.script.isEmpty() || !options.csv.isEmpty();
    const bool pictures = !options.preview.isEmpty() || !options.previewAll.isEmpty();
    if (options.wrap) {
        if (options.widths.isEmpty() || files.size() != 1 || options.json || options.optimal ||
            options.limit || realScript || options.codes || pictures) {
            return fail(QStringLiteral("--wrap needs --widths and one translation file, and "
                                       "takes no --json, --optimal, --limit, --codes, --script, "
                                       "--csv or --preview"));
        }
        options.translation = files[0];
        return ParsedOptions{options, {}};
    }
    if (!options.output.isEmpty()) {
        return fail(QStringLiteral("-o is for --wrap"));
    }
    if (!options.preview.isEmpty() && !options.previewAll.isEmpty()) {
        return fail(QStringLiteral("--preview and --preview-all exclude each other"));
    }
    if (pictures && options.widths.isEmpty()) {
        return fail(QStringLiteral("--preview and --preview-all need --widths"));
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
    if (!options.columns.isEmpty() || options.separator) {
        return fail(QStringLiteral("--columns and --separator go with --csv"));
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

CodeTables::CodeTables(const FitOptions& options, const encoding::TableEncoding& originalTable,
                       const encoding::TableEncoding& translationTable,
                       const screen::WidthFile* widths) {
    if (options.codes) {
        const std::set<std::string> boxCodes = widths ? widths->boxCodes : std::set<std::string>{};
        original.emplace(originalTable, boxCodes);
        translation.emplace(translationTable, boxCodes);
    }
}

check::Rules rulesFor(const FitOptions& options, const encoding::TableEncoding& originalTable,
                      const encoding::TableEncoding& translationTable,
                      const screen::ScreenMeasure* screen, const CodeTables& codes) {
    return check::Rules{originalTable,
                        translationTable,
                        screen,
                        options.optimal ? encoding::Strategy::Optimal : encoding::Strategy::Greedy,
                        options.json,
                        codes.original ? &*codes.original : nullptr,
                        codes.translation ? &*codes.translation : nullptr,
                        options.codesOrder};
}

} // namespace fit
