#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

// The command line of tavrel-fit.
namespace fit {

struct FitOptions {
    QString table;
    QString originalTable; // --original-table: the originals' own table; empty for --table
    QString original;
    QString translation;
    QString script;                   // --script: an extractor's dump, instead of the two files
    QString csv;                      // --csv: a CSV script, instead of the two files
    QStringList columns;              // --columns ORIG,TRANS[,LIMIT] of the CSV script
    QString encoding;                 // --encoding: the character set of inputs that are not UTF-8
    bool optimal = false;             // budgets and counts under the optimal encoding
    std::optional<std::size_t> limit; // one budget for every line instead of the original's
    bool json = false;
    QString widths;    // a width file: the screen limits join the byte check
    bool wrap = false; // re-wrap `translation` to the width file instead of checking
    QString output;    // --wrap: where the wrapped text goes; standard output when empty
    bool help = false; // the other fields are not filled in
};

struct ParsedOptions {
    std::optional<FitOptions> options;
    QString error; // one line, when `options` is empty
};

// `arguments` without the program's name.
ParsedOptions parseOptions(const QStringList& arguments);

QString usage();

} // namespace fit
