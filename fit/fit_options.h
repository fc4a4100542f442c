#pragma once

#include "core/check_engine.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The command line of tavrel-fit.
namespace fit {

struct FitOptions {
    QString table;
    QString originalTable; // --original-table: the originals' own table; empty for --table
    QString original;
    QString translation;
    QString script;                // --script: an extractor's dump, instead of the two files
    QString csv;                   // --csv: a CSV script, instead of the two files
    QStringList columns;           // --columns ORIG,TRANS[,LIMIT] of the CSV script
    std::optional<char> separator; // --separator of the CSV script; else the header decides
    QString encoding;              // --encoding: the character set of inputs that are not UTF-8
    bool optimal = false;          // budgets and counts under the optimal encoding
    std::optional<std::uint64_t> limit; // one budget for every line instead of the original's
    bool json = false;
    bool codes = false;      // --codes: the translations keep their originals' codes
    bool codesOrder = false; // --codes-order: in the same order too (implies codes)
    QString widths;          // a width file: the screen limits join the byte check
    bool wrap = false;       // re-wrap `translation` to the width file instead of checking
    QString output;          // --wrap: where the wrapped text goes; standard output when empty
    QString preview;         // --preview: the folder for the pictures of the items that fail
    QString previewAll;      // --preview-all: the folder for the pictures of every item
    bool help = false;       // --help: the other fields but helpText are not filled in
    bool version = false;    // --version: likewise
    QString helpText;
};

struct ParsedOptions {
    std::optional<FitOptions> options;
    QString error; // one line, when `options` is empty
};

// `arguments` without the program's name.
ParsedOptions parseOptions(const QStringList& arguments);

QString usage();

// The codes of both tables, when the options check them; their box codes (from the width
// file) are layout, not codes.
struct CodeTables {
    CodeTables(const FitOptions& options, const encoding::TableEncoding& originalTable,
               const encoding::TableEncoding& translationTable, const screen::WidthFile* widths);
    std::optional<codes::CodeTable> original;
    std::optional<codes::CodeTable> translation;
};

// The tables and limits a check of these options holds its items to; `screen` as built on
// `translationTable`, or nothing.
check::Rules rulesFor(const FitOptions& options, const encoding::TableEncoding& originalTable,
                      const encoding::TableEncoding& translationTable,
                      const screen::ScreenMeasure* screen, const CodeTables& codes);

} // namespace fit
