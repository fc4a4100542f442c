#include "core/screen_widths.h"

#include "tests/core/encoding_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>

using namespace screen;

// "line lines gap default, code=width... code=box..., skipped from line, unknown from line",
// or the error that makes the file unusable.
static std::string describe(const WidthFileRead& read) {
    if (read.error) {
        return "error: " + read.error->message();
    }
    const WidthFile& f = read.file;
    const auto number = [](const auto& v) { return v ? std::to_string(*v) : std::string("-"); };
    std::string out = number(f.line) + ' ' + number(f.lines) + ' ' + std::to_string(f.gap) + ' ' +
                      std::to_string(f.defaultWidth) + ',';
    for (const auto& [code, width] : f.widths) {
        out += ' ' + oracle::hex(code) + '=' + std::to_string(width);
    }
    for (const auto& code : f.boxCodes) {
        out += ' ' + oracle::hex(code) + "=box";
    }
    if (f.fontSheet) {
        out += ", " + *f.fontSheet + ' ' + number(f.cellWidth) + 'x' + number(f.cellHeight) + ' ' +
               number(f.firstCode) + ' ' + number(f.lineHeight);
    }
    return out + ", " + std::to_string(f.skippedLines) + ' ' + number(f.firstSkippedLine) + ", " +
           std::to_string(f.unknownKeys) + ' ' + number(f.firstUnknownKeyLine);
}

TEST(WidthFileTest, Lines) {
    const std::string_view rows[][2] = {
        {"\xEF\xBB\xBF# font\r\n@line = 144 # room\r\n@lines=3\n\t@gap=1\n@default=8\n 20 = 4 "
         "\nf0=60\n8140=2#x\nFC=Box\n",
         "144 3 1 8, 20=4 8140=2 F0=60 FC=box, 0 -, 0 -"},
        {"41=box\n41=8\n42=8\n42=box\n@line=1\n@line=0\n", "0 - 0 0, 41=8 42=box, 0 -, 0 -"},
        {"\n41\n41=x\n123=4\n0102030405=1\n=3\nG1=2\n@fnt=x\n@x\n@Line=2\n"
         "01020304=4294967295\n@line=4294967295\n",
         "4294967295 - 0 0, 01020304=4294967295, 7 2, 2 8"},
        // The line room is required; a known key's value that is not a number is never skipped.
        {"", "error: no line room (@line)"},
        {"# only\n@lines=3\n@font=1\n41=2\n", "error: no line room (@line)"},
        {"@line=10\n@gap=1\n@lines=x\n", "error: @lines=x is not a whole number (line 3)"},
        {"@line = -5 # room\n", "error: @line=-5 is not a whole number (line 1)"},
        {"@line=1\n@gap=4294967296\n@default=-1\n",
         "error: @gap=4294967296 is not a whole number (line 2)"},
        // The font keys: any one malformed, or @font without @cell or @first, is an error.
        {"@line=9\n@font = a b.png\n@cell=8X16\n@first=8140\n@height=1\n@cell=3x2\n",
         "9 - 0 0,, a b.png 3x2 33088 1, 0 -, 0 -"},
        {"@cell=1x1\n@first=00\n@line=1\n", "1 - 0 0,, 0 -, 0 -"},
        {"@line=9\n@cell=8xq\n",
         "error: @cell=8xq is not a size WxH in whole numbers from 1 (line 2)"},
        {"@line=9\n@cell=0x8\n",
         "error: @cell=0x8 is not a size WxH in whole numbers from 1 (line 2)"},
        {"@line=9\n@first=zz\n", "error: @first=zz is not a code in hex (line 2)"},
        {"@line=9\n@height=0\n", "error: @height=0 is not a whole number from 1 (line 2)"},
        {"@line=9\n@font=\n", "error: @font= is not a path (line 2)"},
        {"@line=9\n@font=f.png\n@first=20\n", "error: @font without @cell"},
        {"@line=9\n@font=f.png\n@cell=8x8\n", "error: @font without @first"},
    };
    for (const auto& [file, settings] : rows) {
        EXPECT_EQ(describe(WidthFile::read(file)), settings) << file;
    }
}

// The layout by hand, glyph by glyph from the entries' definitions: a code with a width line
// is one glyph; a text entry without one is a glyph per character, each as wide as that
// character's own entry (its shortest code, the file's first on a tie: what the character alone
// encodes to); an uncovered character is a glyph of @default.
TEST(ScreenMeasureTest, AgreesWithALayoutByHand) {
    std::mt19937 random(18);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    for (int round = 0; round < 1500; ++round) {
        std::string tbl, font = "FC=box\n";
        std::map<std::string, unsigned> given; // by hex
        for (int i = 0; i < 9; ++i) {
            const std::string hex = (pick(4) ? "" : "80") + std::to_string(10 + pick(20));
            std::string text(1 + (pick(3) ? 0 : 1 + pick(2)), ' ');
            std::ranges::generate(text, [&] { return "abc "[pick(4)]; });
            tbl += hex + '=' + text + '\n';
            font += pick(2) ? hex + '=' + std::to_string(given[hex] = pick(10)) + '\n' : "";
        }
        tbl += "*FE=|\nFC=^\n/FF=$\n"; // random entries first: one is entry 0
        font += pick(4) ? "" : "FE=" + std::to_string(given["FE"] = pick(5)) + '\n';
        // The widest room at times, and no @lines: no limit.
        const unsigned gap = pick(3), dflt = pick(6), room = pick(4) ? 5 + pick(25) : ~0u,
                       boxRoom = pick(4) ? 1 + pick(3) : ~0u;
        font += "@gap=" + std::to_string(gap) + "\n@default=" + std::to_string(dflt) +
                "\n@line=" + std::to_string(room) + '\n' +
                (boxRoom == ~0u ? "" : "@lines=" + std::to_string(boxRoom) + '\n');
        std::u16string text(pick(30), u' ');
        std::ranges::generate(text, [&] { return u"abc abc|^$x\n"[pick(12)]; });
        const auto table = encoding::TableEncoding::read(tbl);
        const auto ownWidth = [&](char16_t c) {
            const auto own = greedyPieces(table, std::u16string(1, c));
            const std::string hex =
                own.empty() ? "" : oracle::hex(table.entries()[own[0].entry].code);
            return given.count(hex) ? given[hex] : dflt;
        };
        using Line = std::tuple<std::uint64_t, std::size_t, std::size_t>; // width, start, box
        std::vector<Line> lines{{0, 0, 0}}, got;
        std::vector<std::size_t> boxes{1};
        std::optional<std::size_t> overflow;
        const auto glyph = [&](unsigned width, std::size_t at) {
            if ((std::get<0>(lines.back()) += width + gap) > room && !overflow) {
                overflow = at;
            }
        };
        std::size_t at = 0;
        for (const auto& piece : greedyPieces(table, text)) {
            for (; at < piece.start; ++at) {
                glyph(dflt, at);
            }
            const auto& e = table.entries()[static_cast<std::size_t>(piece.entry)];
            const std::string hex = oracle::hex(e.code);
            if (hex == "FC") {
                boxes.push_back(0);
            } else if (given.count(hex)) {
                glyph(given[hex], at);
            } else if (e.kind == encoding::EntryKind::Text) {
                for (const char16_t c : e.text) {
                    glyph(ownWidth(c), at);
                }
            }
            at = piece.start + piece.length;
            if (hex == "FC" || e.kind == encoding::EntryKind::LineBreak) {
                lines.emplace_back(0, at, boxes.size() - 1);
                overflow = ++boxes.back() > boxRoom && !overflow ? piece.start : overflow;
            }
        }
        for (; at < text.size(); ++at) {
            glyph(dflt, at);
        }
        const TextMeasure m = ScreenMeasure(table, WidthFile::read(font).file).measure(text);
        std::ranges::transform(m.lines, std::back_inserter(got),
                               [](const LineWidth& l) { return Line(l.width, l.start, l.box); });
        const auto firstMax = [](const auto& v, auto key) { // the first of equal ones
            return static_cast<std::size_t>(std::ranges::max_element(v, {}, key) - v.begin());
        };
        const auto width = [](const Line& line) { return std::get<0>(line); };
        EXPECT_EQ(std::tuple(got, m.boxLines, m.firstOverflow, m.widestLine, m.fullestBox),
                  std::tuple(lines, boxes, overflow, firstMax(lines, width),
                             firstMax(boxes, [](std::size_t n) { return n; })))
            << tbl << font << std::string(text.begin(), text.end());
    }
}
