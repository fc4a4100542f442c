#pragma once

#include "core/screen_widths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// The screen half of tavrel-fit: each line of a translation laid out with the width file.
namespace fit {

struct ScreenVerdict {
    std::uint64_t widest = 0; // the widest line of the text
    std::size_t lines = 0;    // the lines of its fullest box
    bool lineOver = false;    // wider than @line
    bool boxOver = false;     // more lines than @lines
    bool fits() const { return !lineOver && !boxOver; }
};

ScreenVerdict screenVerdict(const screen::ScreenMeasure& screen, const QString& text);

// The limits a line goes over, indented under its row: "        px 150/144, lines 4/3\n";
// nothing when it fits.
QByteArray screenRow(const ScreenVerdict& verdict, const screen::WidthFile& widths);

// The JSON members of one line: `"widest": N, "lines": N, "on_screen": true`.
QByteArray screenJson(const ScreenVerdict& verdict);

// What tavrel-fit says on stderr about a width file it read: the lines it skipped and the
// `@` keys it does not know, one message each, "tavrel-fit: " and a line end included.
QByteArray widthFileWarnings(const QString& path, const screen::WidthFile& widths);

} // namespace fit
