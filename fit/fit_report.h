#pragma once

#include "core/screen_widths.h"
#include "core/table_encoding.h"
#include "fit/screen_check.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

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
// counted with `strategy`, and with the other strategy too when `bothStrategies`, the
// originals under their own table. A line fails over its budget, or when its translation is
// misread (greedy) or cannot be written (optimal), or, given a `screen`, when its translation
// is off the screen (then not counted in `over` but in `offScreen`). The two lists must be as
// long.
ScriptCheck checkScript(const encoding::TableEncoding& originalTable,
                        const encoding::TableEncoding& translationTable,
                        const QStringList& original, const QStringList& translation,
                        encoding::Strategy strategy, std::optional<std::size_t> limit,
                        bool bothStrategies, const screen::ScreenMeasure* screen);

// What the encoder has to work out for a check under `strategy`.
encoding::EncodeRequest requestFor(encoding::Strategy strategy, bool bothStrategies);
// A text's figures out of its cost; `uncovered` under `strategy`.
Bytes bytesOf(const encoding::TextCost& cost, encoding::Strategy strategy);
// A translation of these figures fits `budget` under `strategy`: within it, and not misread
// (greedy) or not impossible to write (optimal).
bool fitsIn(const Bytes& translation, std::size_t budget, encoding::Strategy strategy);
// The verdict that fails a translation under `strategy`, empty for none: the line printed
// under its row.
QString verdictOf(const Bytes& text, encoding::Strategy strategy);

// "1 line", "2 lines".
QString counted(std::size_t count, const char* one, const char* many);

// How many characters of a translation a row shows.
constexpr qsizetype kPreviewLength = 30;
// The first `length` characters of a text in UTF-8 and an ellipsis when it is longer, its line
// ends shown as U+21B5; a surrogate pair is never cut.
void appendPreview(QByteArray& out, QStringView text, qsizetype length = kPreviewLength);

// One row per failed line, its verdict under it, then the summary line. With `fileLines` the
// lines are the records of a CSV script: each row gives its record's number and the file line
// it starts on.
QByteArray formatRows(const ScriptCheck& check, const QStringList& translation,
                      const std::vector<std::size_t>* fileLines = nullptr);

// The text as the inside of a JSON string, in UTF-8.
QByteArray jsonString(std::u16string_view text);
// Appends a text's figures as a JSON object: its verdicts as members when the strategy they
// belong to was worked out.
void appendTextJson(QByteArray& out, const Bytes& bytes, bool greedy, bool optimal);

// Every line and the summary as one JSON object; with `fileLines`, as formatRows.
QByteArray formatJson(const ScriptCheck& check,
                      const std::vector<std::size_t>* fileLines = nullptr);

} // namespace fit
