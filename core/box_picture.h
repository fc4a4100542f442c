#pragma once

#include "core/screen_widths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text box drawn as the game draws it: the width file's layout, the glyphs taken from the
// cells of the font sheet it names. One function draws it for the main window and for
// tavrel-fit; reading the sheet and writing pictures is the callers' business.
namespace boxpicture {

// Pixels row by row from the top left, each 0xAARRGGBB (alpha not premultiplied).
struct Pixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> argb;
};

inline constexpr std::uint32_t kGrey = 0xFF808080;    // the row between two boxes
inline constexpr std::uint32_t kMagenta = 0xFFFF00FF; // a glyph the sheet does not have
inline constexpr std::uint32_t kRed = 0xFFFF0000;     // what the game would cut

// A font sheet with the width file's font keys: cells of @cell, left to right and row by
// row, the top-left one for the code @first.
class FontSheet {
public:
    // Nothing when a cell is wider or taller than the sheet; `error` then says so, as
    // "@cell 64x8 is larger than the sheet f.png (32x8)". `widths` names a font.
    static std::optional<FontSheet> use(const screen::WidthFile& widths, Pixels sheet,
                                        std::string& error);

    // The sheet's most common colour (fully transparent pixels count as one colour, the first
    // in the sheet on a tie): pixels of it are not drawn.
    std::uint32_t background() const { return background_; }
    // The picture's background: the sheet's, opaque; black when that one is transparent.
    std::uint32_t pictureBackground() const;
    // The top-left pixel of a code's cell; nothing when the cell lies outside the sheet.
    std::optional<std::size_t> cellAt(std::uint32_t code) const;
    const Pixels& pixels() const { return sheet_; }
    std::uint32_t cellWidth() const { return cellWidth_; }
    std::uint32_t cellHeight() const { return cellHeight_; }

private:
    FontSheet() = default;
    Pixels sheet_;
    std::uint32_t cellWidth_ = 1;
    std::uint32_t cellHeight_ = 1;
    std::uint32_t first_ = 0;
    std::uint32_t background_ = 0;
};

struct BoxPicture {
    Pixels pixels;                          // empty when it would be too large to make
    std::vector<std::uint32_t> bandBottoms; // one past the last row of each box's band
};

// Pictures larger than this many pixels are not made.
inline constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 27;

// The picture of `text` laid out by `screen`, whose width file names `sheet`'s font: one band
// per box, @lines (or the box's own lines, when more) lines of @height, one grey row between
// bands, each band as wide as @line or the widest line when more (at least 1 pixel). Each glyph
// copies columns 0 to its width - 1 and rows 0 to @height - 1 of its code's cell, made opaque,
// but for the sheet's background and fully transparent pixels; a multi-character entry without
// a width line of its own is drawn as its characters' own entries; a code whose cell lies
// outside the sheet, or a character no entry covers, is a magenta block as wide as its width
// and @height tall. Every glyph pixel at x >= @line, or on a line of its box at or past
// @lines, is red.
BoxPicture draw(const screen::ScreenMeasure& screen, const FontSheet& sheet,
                std::u16string_view text);
// The same into `out`, whose memory is used again: a window that draws at every key does not
// ask for the picture's memory anew each time.
void draw(const screen::ScreenMeasure& screen, const FontSheet& sheet, std::u16string_view text,
          BoxPicture& out);

} // namespace boxpicture
