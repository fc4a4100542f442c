#pragma once

#include "core/table_encoding.h"
#include "fit/screen_check.h"

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
    std::optional<ScreenVerdict> screen; // with a width file
    bool fits = true;                    // within the budget and, with a width file, the screen
};

struct ScriptCheck {
    encoding::Strategy strategy = encoding::Strategy::Greedy;
    std::vector<LineCheck> lines;  // line i + 1 of both files
    std::size_t over = 0;          // lines over their bytes
    std::size_t originalBytes = 0; // under the strategy
    std::size_t translationBytes = 0;
    std::size_t uncovered = 0;               // characters of the translation no entry covers
    std::optional<screen::WidthFile> widths; // the limits, when the screen was checked
    std::size_t offScreen = 0;               // lines over @line or @lines
};

// The budget of a line is `limit` when given, else the original line's bytes; both texts are
// counted with `strategy`. The two lists must be as long.
ScriptCheck checkScript(const encoding::TableEncoding& table, const QStringList& original,
                        const QStringList& translation, encoding::Strategy strategy,
                        std::optional<std::size_t> limit);

// One row per line over its budget, then the summary line.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation);

// Every line and the summary as one JSON object.
QByteArray formatJson(const ScriptCheck& check);

} // namespace fit
