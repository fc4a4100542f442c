#pragma once

#include "core/screen_widths.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

// The screen half of tavrel-fit: each line of a script laid out with the width file.
namespace fit {

// The screen figures of one text.
struct ScreenFigures {
    std::uint64_t widest = 0; // its widest line
    std::size_t lines = 0;    // the lines of its fullest box
};

// A line of the script on screen: the translation is held to the limits.
struct ScreenVerdict {
    ScreenFigures original;
    ScreenFigures translation;
    bool lineOver = false; // the translation has a line wider than @line
    bool boxOver = false;  // the translation has a box of more than @lines lines
    bool fits() const { return !lineOver && !boxOver; }
};

// The widest line and the fullest box of a text.
ScreenFigures screenFigures(const screen::ScreenMeasure& screen, const QString& text);

// Holds the translation's figures to the limits of the width file.
void judgeScreen(ScreenVerdict& verdict, const screen::ScreenMeasure& screen);

// The limits a line goes over, indented under its row: "        px 150/144, lines 4/3\n";
// nothing when it fits.
QByteArray screenRow(const ScreenVerdict& verdict, const screen::WidthFile& widths);

// The JSON member of one line: `"screen": {"original": {"widest": N, "lines": N},
// "translation": {...}, "fits": true}`.
QByteArray screenJson(const ScreenVerdict& verdict);

// A width file read and parsed. Nothing, with `error` set, when it cannot be read or cannot
// be used (no `@line`, a known `@` key without a number); the lines it skips and the `@` keys
// it does not know add a message each (line end included) to `warnings` and do not stop the
// run.
std::optional<screen::WidthFile> loadWidthFile(const QString& path, QString& error,
                                               QByteArray& warnings);

} // namespace fit
