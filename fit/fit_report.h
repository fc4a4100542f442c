#pragma once

#include "core/screen_widths.h"
#include "core/table_encoding.h"
#include "fit/screen_check.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// Line i of a translation held against line i of its original, in bytes of the game's table.
namespace fit {

// The figures of one text; those of a strategy that was not worked out stay empty.
struct Bytes {
    std::size_t greedy = 0;
    std::size_t optimal = 0;
    std::size_t uncovered = 0; // under the strategy of the check
    std::optional<std::size_t> firstUncovered;
    // The greedy encoding does not read back; held apart, as few lines have one.
    std::shared_ptr<const encoding::Misread> misread;
    std::optional<std::size_t> cannotBeWrittenAt; // no encoding reads back
};

struct LineCheck {
    Bytes original;
    Bytes translation;
    std::size_t budget = 0;
    std::optional<ScreenVerdict> screen; // with a width file
    // Within the budget, the translation's verdict under the strategy, and the screen.
    bool fits = true;
};

struct ScriptCheck {
    encoding::Strategy strategy = encoding::Strategy::Greedy;
    bool bothStrategies = false;
    std::vector<LineCheck> lines; // line i + 1 of both files
    std::size_t over = 0;
    std::size_t originalBytes = 0; // under the strategy
    std::size_t translationBytes = 0;
    std::size_t uncovered = 0;                     // characters of the translation no entry covers
    std::optional<std::size_t> firstUncoveredLine; // 0-based: the first such line
    std::optional<screen::WidthFile> widths;       // the limits, when the screen was checked
    std::size_t offScreen = 0;                     // lines whose translation is off the screen
};

// The budget of a line is `limit` when given, else the original line's bytes; both texts are
// counted with `strategy`, and with the other strategy too when `bothStrategies`. A line
// fails over its budget, or when its translation is misread (greedy) or cannot be written
// (optimal), or, given a `screen`, when its translation is off the screen (then not counted
// in `over` but in `offScreen`). The two lists must be as long.
ScriptCheck checkScript(const encoding::TableEncoding& table, const QStringList& original,
                        const QStringList& translation, encoding::Strategy strategy,
                        std::optional<std::size_t> limit, bool bothStrategies = false,
                        const screen::ScreenMeasure* screen = nullptr);

// One row per failed line, its verdict under it, then the summary line.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation);

// The text as the inside of a JSON string, in UTF-8.
QByteArray jsonString(std::u16string_view text);

// Every line and the summary as one JSON object.
QByteArray formatJson(const ScriptCheck& check);

} // namespace fit
