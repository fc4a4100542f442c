#pragma once

#include "core/screen_widths.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Re-wrapping one line of a script to the screen: words move to a new line, or a new box,
// when the line would be too wide.
namespace screen {

struct WrappedLine {
    std::u16string text;
    // UTF-16 indices in the input line of the words too wide for a line of their own: where
    // each was cut (the first character moved on), or the glyph that alone is wider.
    std::vector<std::size_t> tooWide;
    bool fits = true; // every line within @line and every box within @lines
};

// The line breaks typed in `line` (the table's line breaks, by their label) become blanks; then the
// line is filled word by word, words being the runs between blanks. When the next word would make
// its line wider than @line, the blank before it becomes the line break's label, or the box code's
// text when the box already holds @lines lines (without a box code, boxes are not limited). As the
// measure counts a break's room on the line it ends, a line the wrap ends with a break keeps within
// @line with that break's room; the last line has no break after it. A box code typed in the text
// that ends its box before @lines lines is held to a line break's room when that is more, as the
// wrap would write a line break there; so wrapping the output again changes nothing. Runs of
// several blanks stay as they are but for the one blank a break replaces; box codes in the text
// stay and start their box. A word too wide for a line alone is cut after as many of its codes as
// fit (at least one, never inside a code), with a line break and no blank. Candidate lines are
// measured whole, since an entry of the table may span a blank. Without a labelled line break in
// the table, only the typed breaks change.
WrappedLine wrapLine(const ScreenMeasure& screen, std::u16string_view line);

} // namespace screen
