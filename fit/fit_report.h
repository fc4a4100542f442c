#pragma once

#include "core/table_encoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

// Line i of a translation held against line i of its original, in bytes of the game's table.
namespace fit {

struct Bytes {
    std::size_t greedy = 0;
    std::size_t optimal = 0;
    std::size_t uncovered = 0; // under the strategy of the check
    std::optional<std::size_t> firstUncovered;
};

struct LineCheck {
    Bytes original;
    Bytes translation;
    std::size_t budget = 0;
    bool fits = true;
};

struct ScriptCheck {
    encoding::Strategy strategy = encoding::Strategy::Greedy;
    std::vector<LineCheck> lines; // line i + 1 of both files
    std::size_t over = 0;
    std::size_t originalBytes = 0; // under the strategy
    std::size_t translationBytes = 0;
    std::size_t uncovered = 0; // characters of the translation no entry covers
};

// The budget of a line is `limit` when given, else the original line's bytes; both texts are
// counted with `strategy`, the originals under their own table. The two lists must be as long.
ScriptCheck checkScript(const encoding::TableEncoding& originalTable,
                        const encoding::TableEncoding& translationTable,
                        const QStringList& original, const QStringList& translation,
                        encoding::Strategy strategy, std::optional<std::size_t> limit);

// How many characters of a translation a row shows.
constexpr qsizetype kPreviewLength = 30;

// The first `length` characters of a text and an ellipsis when it is longer; a surrogate pair
// is never cut.
QString preview(const QString& text, qsizetype length);

// One row per line over its budget, then the summary line. With `fileLines` the lines are the
// records of a CSV script: each row gives its record's number and the file line it starts on.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation,
                      const std::vector<std::size_t>* fileLines = nullptr);

// Every line and the summary as one JSON object; with `fileLines`, as formatRows.
QByteArray formatJson(const ScriptCheck& check,
                      const std::vector<std::size_t>* fileLines = nullptr);

} // namespace fit
