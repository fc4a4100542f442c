#pragma once

#include "storage/char_sets.h"

#include <QString>

#include <cstdio>
#include <optional>

// tavrel-fit --wrap: a translation re-wrapped to the screen, one output line per input line.
namespace fit {

struct WrapJob {
    QString table;
    QString widths;
    QString translation;
    QString output;                               // standard output when empty
    std::optional<storage::NamedCharSet> charSet; // --encoding
};

// The table and the translation are read as every input is (storage::chooseCharSet); the
// output is written in the translation's character set, with its byte order mark if it had
// one, and its line ends. Returns the exit code: 0 when every output line fits, 1 when a word had
// to be cut or a line still does not fit (each said on `err` with its line and column), 2 on bad
// input: a file that cannot be read, a table with no entry or no labelled line break, a width file
// with no
// @line, an output that is one of the input files.
int runWrap(const WrapJob& job, std::FILE* out, std::FILE* err);

} // namespace fit
