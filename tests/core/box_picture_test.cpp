#include "core/box_picture.h"

#include "tests/core/encoding_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <ranges>

using namespace boxpicture;

namespace {

constexpr std::uint32_t kSheetBlue = 0xFF000080, kGreen = 0xFF00AA00, kHalfOrange = 0x80FF8800,
                        kClear = 0x00FFFFFF;

std::optional<FontSheet> sheetFor(const screen::WidthFile& widths, Pixels pixels) {
    std::string error;
    return FontSheet::use(widths, std::move(pixels), error);
}

} // namespace

// A sheet of three 2x2 cells from code 41: A [a a / a .], B [b clear / b b], C all background.
// Pictures as rows of '.' background, a, b, magenta, red and '-' grey.
TEST(BoxPictureTest, Edges) {
    const Pixels sheet{6,
                       2,
                       {kGreen, kGreen, kHalfOrange, kClear, kSheetBlue, kSheetBlue, kGreen,
                        kSheetBlue, kHalfOrange, kHalfOrange, kSheetBlue, kSheetBlue}};
    const auto table =
        encoding::TableEncoding::read("41=A\n42=B\n43=C\n44=D\n8041=AB\n*FE=|\nFC=^\n"
                                      "/FF=$\n");
    const std::string_view rows[][3] = {
        // The last column at @line - 1, then one at @line.
        {"@line=5\n@lines=1", "AA", "aa.aa./a..a.."},
        {"@line=4\n@lines=1", "AA", "aa.ar./a..a.."},
        // A box of @lines lines, then one line over; without @lines a band of its own lines.
        {"@line=3\n@lines=2", "A|A", "aa./a../aa./a.."},
        {"@line=3\n@lines=2", "A|A|A", "aa./a../aa./a../rr./r.."},
        {"@line=3", "A^B", "aa./a../---/b../bb."},
        {"@line=3\n@lines=2", "B^", "b../bb./.../.../---/.../.../.../..."},
        // An entry of two characters drawn as both; a code past the sheet and an uncovered
        // character in magenta, red past @line; a cell of background draws nothing.
        {"@line=9\n@lines=1", "ABDxC$", "aa.b..mm.rr..../a..bb.mm.rr...."},
        // A break given a width leaves its room blank; @height past the cell, and a width
        // line past it, draw nothing there but magenta.
        {"@line=1\nFE=1\n@height=3\n41=3", "A|D", "ar..../a...../....../mr..../mr..../mr...."},
    };
    const std::map<char, std::uint32_t> colours{{'.', kSheetBlue}, {'a', kGreen}, {'b', 0xFFFF8800},
                                                {'m', kMagenta},   {'r', kRed},   {'-', kGrey}};
    for (const auto& [keys, text, expected] : rows) {
        const std::string wid =
            std::string(keys) + "\n@gap=1\n@default=2\n@font=f.png\n@cell=2x2\n@first=41\nFC=box\n";
        const screen::ScreenMeasure screen(table, screen::WidthFile::read(wid).file);
        const BoxPicture picture = draw(screen, *sheetFor(screen.widths(), sheet),
                                        std::u16string(text.begin(), text.end()));
        std::string got;
        for (std::size_t i = 0; i < picture.pixels.argb.size(); ++i) {
            got += i > 0 && i % picture.pixels.width == 0 ? "/" : "";
            for (const auto& [mark, colour] : colours) {
                got += picture.pixels.argb[i] == colour ? std::string(1, mark) : "";
            }
        }
        EXPECT_EQ(got, expected) << keys << ' ' << text;
    }
}

// The picture pixel by pixel from a glyph-by-glyph layout made from the width rules, on random
// tables, width files and sheets.
TEST(BoxPictureTest, AgreesWithAPixelByPixelReference) {
    std::mt19937 random(25);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const std::uint32_t palette[] = {kSheetBlue, kGreen, kHalfOrange, kClear, 0x00000000};
    for (int round = 0; round < 400; ++round) {
        std::string tbl, wid = "FC=box\n";
        std::map<std::string, unsigned> given; // by hex
        for (int i = 0; i < 7; ++i) {
            const std::string hex = (pick(4) ? "" : "80") + std::to_string(40 + pick(10));
            std::string text(1 + (pick(3) ? 0 : 1 + pick(2)), ' ');
            std::ranges::generate(text, [&] { return "abcd"[pick(4)]; });
            tbl += hex + '=' + text + '\n';
            wid += pick(2) ? hex + '=' + std::to_string(given[hex] = pick(5)) + '\n' : "";
        }
        tbl += "*FE=|\nFC=^\n/FF=$\n";
        wid += pick(4) ? "" : "FE=" + std::to_string(given["FE"] = pick(4)) + '\n';
        const unsigned gap = pick(2), dflt = pick(4), room = pick(14), boxRoom = pick(3),
                       cw = 1 + pick(3), ch = 1 + pick(3), lh = pick(2) ? ch : 1 + pick(4),
                       first = 0x40 + pick(4), perRow = 1 + pick(3), cellRows = 1 + pick(3);
        wid += "@gap=" + std::to_string(gap) + "\n@default=" + std::to_string(dflt) +
               "\n@line=" + std::to_string(room) + "\n@font=s.png\n@cell=" + std::to_string(cw) +
               'x' + std::to_string(ch) + "\n@first=" + oracle::hex(std::string(1, char(first))) +
               "\n@height=" + std::to_string(lh) + '\n' +
               (boxRoom ? "@lines=" + std::to_string(boxRoom) + '\n' : "");
        Pixels sheet{perRow * cw + pick(cw), cellRows * ch + pick(ch), {}};
        sheet.argb.resize(std::size_t{sheet.width} * sheet.height);
        std::ranges::generate(sheet.argb, [&] { return palette[pick(5)]; });
        std::u16string text(pick(16), u' ');
        std::ranges::generate(text, [&] { return u"abcdx|^$"[pick(8)]; });

        // The layout: each glyph's left edge, line, code (none: magenta) and width.
        const auto table = encoding::TableEncoding::read(tbl);
        struct Glyph {
            std::uint64_t x;
            std::size_t line;
            std::optional<std::uint32_t> code;
            unsigned width;
        };
        std::vector<Glyph> glyphs;
        std::vector<std::uint64_t> lineWidths{0};
        std::vector<std::size_t> lineBox{0}, lineInBox{0}, boxLines{1};
        const auto put = [&](std::optional<std::string> code, unsigned width, bool shown) {
            if (shown) {
                std::optional<std::uint32_t> value;
                for (std::size_t i = 0; code && i < code->size(); ++i) {
                    value = value.value_or(0) << 8 | static_cast<unsigned char>((*code)[i]);
                }
                glyphs.push_back({lineWidths.back(), lineWidths.size() - 1, value, width});
            }
            lineWidths.back() += width + gap;
        };
        std::size_t at = 0;
        for (const auto& piece : screen::greedyPieces(table, text)) {
            for (; at < piece.start; ++at) {
                put(std::nullopt, dflt, true);
            }
            const auto& e = table.entries()[static_cast<std::size_t>(piece.entry)];
            const std::string hex = oracle::hex(e.code);
            const bool glyph = e.kind == encoding::EntryKind::Text && hex != "FC";
            if (given.count(hex)) {
                put(e.code, given[hex], glyph);
            } else if (glyph) {
                for (const char16_t c : e.text) {
                    // Its own entry, or none: then magenta, like an uncovered character.
                    const auto own = screen::greedyPieces(table, std::u16string(1, c));
                    const auto code = own.empty()
                                          ? std::nullopt
                                          : std::optional(table.entries()[own[0].entry].code);
                    const std::string hexOwn = code ? oracle::hex(*code) : "";
                    put(code, given.count(hexOwn) ? given[hexOwn] : dflt, true);
                }
            }
            at = piece.start + piece.length;
            if (hex == "FC") {
                boxLines.push_back(0);
            }
            if (hex == "FC" || e.kind == encoding::EntryKind::LineBreak) {
                lineInBox.push_back(boxLines.back()++);
                lineBox.push_back(boxLines.size() - 1);
                lineWidths.push_back(0);
            }
        }
        for (; at < text.size(); ++at) {
            put(std::nullopt, dflt, true);
        }

        // The sheet's most common colour, the first on a tie; clear pixels are one colour.
        std::map<std::uint32_t, std::size_t> count;
        const auto one = [](std::uint32_t c) { return c >> 24 ? c : 0; };
        for (const std::uint32_t c : sheet.argb) {
            ++count[one(c)];
        }
        std::size_t most = 0;
        for (const auto& [colour, times] : count) {
            most = std::max(most, times);
        }
        const std::uint32_t sheetBack =
            one(*std::ranges::find_if(sheet.argb, [&](auto c) { return count[one(c)] == most; }));
        const std::uint64_t width =
            std::max<std::uint64_t>({room, 1, *std::ranges::max_element(lineWidths)});
        std::vector<std::uint32_t> expected;
        for (std::size_t box = 0; box < boxLines.size(); ++box) {
            if (box > 0) {
                expected.insert(expected.end(), width, kGrey);
            }
            for (std::size_t y = 0; y < std::max<std::size_t>(boxLines[box], boxRoom) * lh; ++y) {
                for (std::uint64_t x = 0; x < width; ++x) {
                    std::uint32_t colour = sheetBack ? sheetBack | 0xFF000000 : 0xFF000000;
                    for (const Glyph& g : glyphs) {
                        if (lineBox[g.line] != box || lineInBox[g.line] != y / lh || x < g.x ||
                            x >= g.x + g.width) {
                            continue;
                        }
                        const std::uint32_t cell = g.code ? *g.code - first : ~0u;
                        std::optional<std::uint32_t> drawn = kMagenta;
                        if (g.code && *g.code >= first && cell < perRow * cellRows) {
                            const std::size_t column = x - g.x, row = y % lh;
                            const std::uint32_t pixel =
                                column < cw && row < ch
                                    ? sheet.argb[(cell / perRow * ch + row) * sheet.width +
                                                 cell % perRow * cw + column]
                                    : 0;
                            drawn = pixel >> 24 && pixel != sheetBack
                                        ? std::optional(pixel | 0xFF000000)
                                        : std::nullopt;
                        }
                        const bool cut = x >= room || (boxRoom && y / lh >= boxRoom);
                        colour = drawn ? (cut ? kRed : *drawn) : colour;
                    }
                    expected.push_back(colour);
                }
            }
        }
        const screen::ScreenMeasure screen(table, screen::WidthFile::read(wid).file);
        const BoxPicture picture = draw(screen, *sheetFor(screen.widths(), sheet), text);
        ASSERT_EQ(picture.pixels.argb, expected)
            << tbl << wid << std::string(text.begin(), text.end()) << ' ' << width;
        EXPECT_EQ(picture.bandBottoms.back(), picture.pixels.height);
    }
}
