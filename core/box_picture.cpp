#include "core/box_picture.h"

#include "core/byte_text.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace boxpicture {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

bool transparent(std::uint32_t argb) {
    return (argb & kOpaque) == 0;
}

// The code's bytes as a big-endian number, as @first is written.
std::uint32_t codeValue(const std::string& code) {
    std::uint32_t value = 0;
    for (const char byte : code) {
        value = value << 8 | static_cast<unsigned char>(byte);
    }
    return value;
}

} // namespace

std::optional<FontSheet> FontSheet::use(const screen::WidthFile& widths, Pixels sheet,
                                        std::string& error) {
    FontSheet font;
    font.cellWidth_ = widths.cellWidth.value_or(1);
    font.cellHeight_ = widths.cellHeight.value_or(1);
    font.first_ = widths.firstCode.value_or(0);
    if (font.cellWidth_ > sheet.width || font.cellHeight_ > sheet.height) {
        error = "@cell " + std::to_string(font.cellWidth_) + 'x' +
                std::to_string(font.cellHeight_) + " is larger than the sheet " +
                widths.fontSheet.value_or(std::string()) + " (" + std::to_string(sheet.width) +
                'x' + std::to_string(sheet.height) + ')';
        return std::nullopt;
    }
    // Counted with the first place of each colour, so that a tie goes to the first.
    std::unordered_map<std::uint32_t, std::pair<std::size_t, std::size_t>> seen;
    std::pair<std::size_t, std::size_t> best{0, 0};
    for (std::size_t i = 0; i < sheet.argb.size(); ++i) {
        const std::uint32_t colour = transparent(sheet.argb[i]) ? 0 : sheet.argb[i];
        auto& [count, first] = seen.try_emplace(colour, 0, i).first->second;
        if (++count > best.first || (count == best.first && first < best.second)) {
            best = {count, first};
            font.background_ = colour;
        }
    }
    font.sheet_ = std::move(sheet);
    return font;
}

std::uint32_t FontSheet::pictureBackground() const {
    return transparent(background_) ? kOpaque : background_ | kOpaque;
}

std::optional<std::size_t> FontSheet::cellAt(std::uint32_t code) const {
    const std::uint64_t perRow = sheet_.width / cellWidth_;
    const std::uint64_t rows = sheet_.height / cellHeight_;
    if (code < first_ || code - first_ >= perRow * rows) {
        return std::nullopt;
    }
    const std::uint64_t cell = code - first_;
    return static_cast<std::size_t>((cell / perRow) * cellHeight_ * sheet_.width +
                                    (cell % perRow) * cellWidth_);
}

BoxPicture draw(const screen::ScreenMeasure& screen, const FontSheet& sheet,
                std::u16string_view text) {
    BoxPicture picture;
    draw(screen, sheet, text, picture);
    return picture;
}

void draw(const screen::ScreenMeasure& screen, const FontSheet& sheet, std::u16string_view text,
          BoxPicture& picture) {
    const screen::WidthFile& widths = screen.widths();
    std::vector<screen::Placed> placed;
    const screen::TextMeasure measure = screen.measure(text, &placed);
    const std::uint64_t lineHeight = widths.lineHeight.value_or(sheet.cellHeight());
    const std::uint64_t room = widths.line.value_or(0);
    const std::uint64_t width = std::max({room, measure.widest(), std::uint64_t{1}});

    picture.bandBottoms.clear();
    std::vector<std::uint64_t> bandTops;
    std::uint64_t height = 0;
    for (const std::size_t lines : measure.boxLines) {
        const std::uint64_t bandLines = std::max<std::uint64_t>(lines, widths.lines.value_or(0));
        if (bandLines > kMostPixels / lineHeight) {
            picture = {};
            return;
        }
        bandTops.push_back(height + (bandTops.empty() ? 0 : 1));
        height = bandTops.back() + bandLines * lineHeight;
        if (height > kMostPixels / width) {
            picture = {};
            return;
        }
        picture.bandBottoms.push_back(static_cast<std::uint32_t>(height));
    }
    Pixels& out = picture.pixels;
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height);
    out.argb.assign(static_cast<std::size_t>(width * height), sheet.pictureBackground());
    for (std::size_t band = 1; band < bandTops.size(); ++band) {
        std::fill_n(out.argb.begin() + static_cast<std::ptrdiff_t>((bandTops[band] - 1) * width),
                    width, kGrey);
    }

    // The index of each box's first line, for a line's place in its box.
    std::vector<std::size_t> firstLine(measure.boxLines.size());
    for (std::size_t line = measure.lines.size(); line-- > 0;) {
        firstLine[measure.lines[line].box] = line;
    }
    const Pixels& cells = sheet.pixels();
    const std::uint32_t background = sheet.background();
    // One glyph of `glyphWidth` at `x` of `line`: its code's cell, or magenta without one.
    const auto glyph = [&](std::uint64_t x, std::size_t line, std::optional<std::uint32_t> code,
                           std::uint64_t glyphWidth) {
        const std::size_t box = measure.lines[line].box;
        const std::size_t lineInBox = line - firstLine[box];
        const bool cutLine = widths.lines && lineInBox >= *widths.lines;
        const std::uint64_t top = bandTops[box] + lineInBox * lineHeight;
        const std::optional<std::size_t> cell = code ? sheet.cellAt(*code) : std::nullopt;
        const std::uint64_t columns =
            cell ? std::min<std::uint64_t>(glyphWidth, sheet.cellWidth()) : glyphWidth;
        const std::uint64_t rows =
            cell ? std::min<std::uint64_t>(lineHeight, sheet.cellHeight()) : lineHeight;
        for (std::uint64_t row = 0; row < rows; ++row) {
            // A glyph of no width may stand at the row's very end: a pointer past it, never read.
            std::uint32_t* target =
                out.argb.data() + static_cast<std::ptrdiff_t>((top + row) * width + x);
            for (std::uint64_t column = 0; column < columns; ++column) {
                std::uint32_t colour = kMagenta;
                if (cell) {
                    colour =
                        cells.argb[*cell + static_cast<std::size_t>(row * cells.width + column)];
                    if (transparent(colour) || colour == background) {
                        continue;
                    }
                }
                target[column] = cutLine || x + column >= room ? kRed : colour | kOpaque;
            }
        }
    };

    const auto& entries = screen.table().entries();
    for (const screen::Placed& at : placed) {
        if (!at.entry) {
            glyph(at.x, at.line, std::nullopt, widths.defaultWidth);
            continue;
        }
        const std::size_t entry = *at.entry;
        const encoding::TableEntry& e = entries[entry];
        if (e.kind != encoding::EntryKind::Text || screen.startsBox(entry)) {
            continue; // line breaks, box codes and end tokens: at most a blank room
        }
        if (const auto given = screen.givenWidth(entry)) {
            glyph(at.x, at.line, codeValue(e.code), *given);
            continue;
        }
        // Measured as its characters, each as wide as its own entry: drawn as them.
        std::uint64_t x = at.x;
        for (std::size_t i = 0; i < e.text.size();) {
            const std::size_t length = bytetext::charLength(e.text, i);
            const auto own = screen.ownEntry(std::u16string_view(e.text).substr(i, length));
            const std::uint64_t charWidth =
                own ? screen.givenWidth(*own).value_or(widths.defaultWidth) : widths.defaultWidth;
            glyph(x, at.line, own ? std::optional(codeValue(entries[*own].code)) : std::nullopt,
                  charWidth);
            x += charWidth + widths.gap;
            i += length;
        }
    }
}

} // namespace boxpicture
