#pragma once

#include "core/table_encoding.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Does a text fit on the game's screen: pixels (or characters) per line, lines per box.
//
// A width file gives each table code its width in pixels, the room of a line, the lines of a
// box and the codes that start a new box. A text is encoded with the table as the inserters
// write it (longest entry first) and laid out code by code: line breaks start a new line, box
// codes a new box.
namespace screen {

struct WidthFileRead;

// A width file: UTF-8 text, one setting per line, `#` starts a comment.
//   @line=144   room of one line       @lines=3    lines per box
//   @gap=1      added after each glyph @default=8  width of a code with no line of its own
//   41=8        width of table code 41 (one to four bytes of hex)
//   FC=box      code FC starts a new box
// and, for the box preview, the game's font as a picture of cells:
//   @font=dialogue.png  the sheet, relative to the width file   @cell=8x16  one cell, pixels
//   @first=20           the code of the top-left cell (hex)     @height=16  line height
struct WidthFile {
    std::optional<std::uint32_t> line;  // always set in a file read without error
    std::optional<std::uint32_t> lines; // no limit when absent
    std::uint32_t gap = 0;
    std::uint32_t defaultWidth = 0;
    std::map<std::string, std::uint32_t> widths; // by code bytes, big-endian
    std::set<std::string> boxCodes;              // the codes marked `box`
    std::optional<std::string> fontSheet;        // @font, as written
    std::optional<std::uint32_t> cellWidth;      // @cell=WxH, both set or neither
    std::optional<std::uint32_t> cellHeight;
    std::optional<std::uint32_t> firstCode;  // @first, the code's bytes as a big-endian number
    std::optional<std::uint32_t> lineHeight; // @height; the cell's height when absent

    std::size_t skippedLines = 0; // lines not understood
    std::optional<std::size_t> firstSkippedLine;
    std::size_t unknownKeys = 0; // `@` keys this reader does not know
    std::optional<std::size_t> firstUnknownKeyLine;

    // Blank and comment-only lines are ignored; a UTF-8 byte order mark is dropped; lines end
    // at LF, a CR before it is dropped. Blanks around keys and values are allowed. A known `@`
    // key whose value is not of its kind, or a file without `@line`, is an error. A line
    // without '=', or with a key that is neither a known `@` key nor hex of one to four bytes,
    // or a code's value that is neither a whole number (up to 4294967295) nor `box`, is
    // skipped and counted. A later line for the same key wins, so `41=box` then `41=8` leaves
    // 41 eight wide.
    static WidthFileRead read(std::string_view fileBytes);
};

// Why a width file cannot be used.
struct WidthFileError {
    enum class Kind {
        NoLineRoom,     // no `@line`
        BadValue,       // a known `@` key whose value is not of its kind
        FontKeyMissing, // `@font` without `@cell` or `@first`
    };
    Kind kind = Kind::NoLineRoom;
    std::string key;      // "@line"
    std::string value;    // as written, blanks around it dropped (BadValue); the key missing
                          // (FontKeyMissing)
    std::string expected; // what the key takes: "a whole number" (BadValue)
    std::size_t line = 0; // 1-based (BadValue)

    // "no line room (@line)", "@lines=x is not a whole number (line 3)", "@font without @cell".
    std::string message() const;
};

struct WidthFileRead {
    WidthFile file;
    std::optional<WidthFileError> error; // the file is not to be used when set
};

// One line of a measured text.
struct LineWidth {
    std::size_t start = 0; // UTF-16 index where the line starts (just after its break)
    std::uint64_t width = 0;
    std::size_t box = 0; // index of its box
};

struct TextMeasure {
    std::vector<LineWidth> lines;      // at least one
    std::vector<std::size_t> boxLines; // lines per box, at least one box
    std::size_t widestLine = 0;        // index into `lines`; the first of equal widths
    std::size_t fullestBox = 0;        // index into `boxLines`; the first of equal counts
    // The UTF-16 index of the first code (or uncovered character) that makes its line wider
    // than @line, or of the line break that starts line @lines + 1 of a box; nothing when
    // every line and box is within its limit.
    std::optional<std::size_t> firstOverflow;

    std::uint64_t widest() const { return lines[widestLine].width; }
    std::size_t fullest() const { return boxLines[fullestBox]; }
};

// Where the layout puts one code, or one character that no entry covers.
struct Placed {
    std::size_t start = 0;            // UTF-16 index in the text
    std::optional<std::size_t> entry; // into the table's entries; nothing when uncovered
    std::size_t line = 0;             // index into TextMeasure::lines
    std::uint64_t x = 0;              // where its room starts on its line
};

// A table and a width file together. Holds a reference to `table`, which must outlive it.
class ScreenMeasure {
public:
    ScreenMeasure(const encoding::TableEncoding& table, WidthFile widths);

    // Empty text: one box of one line 0 wide. Safe to call from several threads at once. With
    // `placed`, every code and uncovered character is added to it where the layout puts it.
    TextMeasure measure(std::u16string_view text, std::vector<Placed>* placed = nullptr) const;

    // The width line of entries()[entry]'s code, when the width file has one.
    std::optional<std::uint32_t> givenWidth(std::size_t entry) const;
    // The entry whose width is a character's own: its one-character text entry with the
    // shortest code (the file's first on a tie); nothing when the table has none.
    std::optional<std::size_t> ownEntry(std::u16string_view character) const;

    // What a glyph of entries()[entry] adds to its line, @gap included.
    std::uint64_t advance(std::size_t entry) const { return advance_[entry]; }
    std::uint64_t uncoveredAdvance() const;
    bool startsBox(std::size_t entry) const { return box_[entry]; }

    // What a translator types for a line break: the label of the first line break that has
    // one and is not a box code. Nothing when the table has none.
    const std::optional<std::u16string>& lineBreakText() const { return lineBreakText_; }
    // The text of the first entry whose code is marked `box` (a line break's label); nothing
    // when no entry is marked.
    const std::optional<std::u16string>& boxText() const { return boxText_; }

    const WidthFile& widths() const { return widths_; }
    const encoding::TableEncoding& table() const { return table_; }

    // Whether a line this wide, or a box of this many lines, keeps within the width file's
    // limit; always true when the file sets none.
    bool lineFits(std::uint64_t width) const { return !widths_.line || width <= *widths_.line; }
    bool boxFits(std::size_t lines) const { return !widths_.lines || lines <= *widths_.lines; }

private:
    const encoding::TableEncoding& table_;
    WidthFile widths_;
    std::vector<std::uint64_t> advance_;
    std::vector<bool> box_;
    std::map<std::u16string, std::size_t, std::less<>> single_;
    std::optional<std::u16string> lineBreakText_;
    std::optional<std::u16string> boxText_;
};

// The pieces of `text` encoded longest entry first: the one place this module asks the table.
std::vector<encoding::Piece> greedyPieces(const encoding::TableEncoding& table,
                                          std::u16string_view text);

} // namespace screen
