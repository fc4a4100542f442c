#include "core/screen_widths.h"

#include <gtest/gtest.h>

#include <random>

using namespace screen;

static std::string hexOf(const std::string& code) {
    std::string hex;
    for (const char b : code) {
        hex += "0123456789ABCDEF"[static_cast<unsigned char>(b) >> 4];
        hex += "0123456789ABCDEF"[b & 0xF];
    }
    return hex;
}

// "line lines gap default, code=width... code=box..., skipped from line, unknown from line"
static std::string describe(const WidthFile& f) {
    const auto number = [](const auto& v) { return v ? std::to_string(*v) : std::string("-"); };
    std::string out = number(f.line) + ' ' + number(f.lines) + ' ' + std::to_string(f.gap) + ' ' +
                      std::to_string(f.defaultWidth) + ',';
    for (const auto& [code, width] : f.widths) {
        out += ' ' + hexOf(code) + '=' + std::to_string(width);
    }
    for (const auto& code : f.boxCodes) {
        out += ' ' + hexOf(code) + "=box";
    }
    return out + ", " + std::to_string(f.skippedLines) + ' ' + number(f.firstSkippedLine) + ", " +
           std::to_string(f.unknownKeys) + ' ' + number(f.firstUnknownKeyLine);
}

TEST(WidthFileTest, Lines) {
    const std::string_view rows[][2] = {
        {"\xEF\xBB\xBF# font\r\n@line = 144 # room\r\n@lines=3\n\t@gap=1\n@default=8\n 20 = 4 "
         "\nf0=60\n8140=2#x\nFC=Box\n",
         "144 3 1 8, 20=4 8140=2 F0=60 FC=box, 0 -, 0 -"},
        {"41=box\n41=8\n42=8\n42=box\n@line=1\n@line=2\n@gap=x\n",
         "2 - 0 0, 41=8 42=box, 1 7, 0 -"},
        {"\n41\n41=x\n123=4\n0102030405=1\n@gap=-1\n@line=4294967296\n=3\nG1=2\n@font=x\n@x\n"
         "@Line=2\n01020304=4294967295\n",
         "- - 0 0, 01020304=4294967295, 9 2, 2 10"},
    };
    for (const auto& [file, settings] : rows) {
        EXPECT_EQ(describe(WidthFile::read(file)), settings) << file;
    }
}

// "line/line/... | box box ... @first overflow", the widest line and the fullest box starred.
static std::string joined(const TextMeasure& m) {
    std::string out;
    for (std::size_t i = 0; i < m.lines.size(); ++i) {
        out += std::to_string(m.lines[i].width) + (i == m.widestLine ? "*" : "") +
               (i + 1 == m.lines.size() ? " |" : "/");
    }
    for (std::size_t i = 0; i < m.boxLines.size(); ++i) {
        out += ' ' + std::to_string(m.boxLines[i]) + (i == m.fullestBox ? "*" : "");
    }
    return out + (m.firstOverflow ? " @" + std::to_string(*m.firstOverflow) : "");
}

constexpr std::string_view kTable =
    "20= \n41=A\n42=B\n69=i\n80=AB\n81=Ai\n82=iA\nF0=<name>\nFC=<box>\n*FE=<br>\n/FF=<end>\n";
constexpr std::string_view kFont = "@line=20\n@lines=2\n@gap=1\n@default=5\n41=8\n69=3\n82=1\n"
                                   "F0=60\nFC=box\n";

TEST(ScreenMeasureTest, BoundariesAndWidths) {
    // A 9, B 6 (@default), i 4, blank 6, AB 9+6, Ai 9+4, iA 1+1 (its own line), x 6.
    const struct {
        std::string_view font;
        std::u16string_view text;
        std::string measured;
    } rows[] = {
        {kFont, u"", "0* | 1*"},
        {kFont, u"iiiii", "20* | 1*"},
        {kFont, u"ABx", "21* | 1* @2"},
        {kFont, u"iiiii<br>iiiii\nAB", "20*/20/15 | 3* @14"},
        {kFont, u"Ai<br>iiiii<box>AB<br>B<end>", "13/20*/15/6 | 2* 2"},
        {kFont, u"B<box><box>iA i", "6/0/12* | 1* 1 1"},
        {kFont, u"<name>", "61* | 1* @0"},
        {"@line=3\n@lines=1\n@default=1\nFE=2\n", u"AiB<br>AB", "5*/2 | 2* @3"},
        {"@default=1\n@gap=2\nFC=box\n", u"AB<box>A", "6*/3 | 1* 1"},
    };
    const auto table = encoding::TableEncoding::read(kTable);
    for (const auto& row : rows) {
        const ScreenMeasure screen(table, WidthFile::read(row.font));
        EXPECT_EQ(joined(screen.measure(row.text)), row.measured) << row.font;
    }
}

// The layout by hand, glyph by glyph from the entries' definitions: a code with a width line
// is one glyph; a text entry without one is a glyph per character, each as wide as that
// character's own entry; an uncovered character is a glyph of @default.
TEST(ScreenMeasureTest, AgreesWithALayoutByHand) {
    std::mt19937 random(18);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    for (int round = 0; round < 300; ++round) {
        std::string tbl = "*FE=|\nFC=^\n/FF=$\n", font = "FC=box\n";
        std::map<std::string, unsigned> given; // by hex
        for (int i = 0; i < 7; ++i) {
            const std::string hex = (pick(4) ? "" : "80") + std::to_string(10 + pick(20));
            std::string text(1 + (pick(3) ? 0 : 1 + pick(2)), ' ');
            for (char& c : text) {
                c = "abc "[pick(4)];
            }
            tbl += hex + '=' + text + '\n';
            if (pick(2)) {
                font += hex + '=' + std::to_string(given[hex] = pick(10)) + '\n';
            }
        }
        if (pick(4) == 0) {
            font += "FE=" + std::to_string(given["FE"] = pick(5)) + '\n';
        }
        const unsigned gap = pick(3), dflt = pick(6), room = 5 + pick(25), boxRoom = 1 + pick(3);
        font += "@gap=" + std::to_string(gap) + "\n@default=" + std::to_string(dflt) +
                "\n@line=" + std::to_string(room) + "\n@lines=" + std::to_string(boxRoom) + '\n';
        std::u16string text;
        for (unsigned n = pick(16); n > 0; --n) {
            text += u"abc abc|^$x\n"[pick(12)];
        }
        const auto table = encoding::TableEncoding::read(tbl);
        const auto& entries = table.entries();
        const auto ownWidth = [&](char16_t c) { // the shortest code, the file's first on a tie
            const encoding::TableEntry* own = nullptr;
            for (const auto& e : entries) {
                if (e.kind == encoding::EntryKind::Text && e.text == std::u16string(1, c) &&
                    (!own || e.code.size() < own->code.size())) {
                    own = &e;
                }
            }
            return own && given.count(hexOf(own->code)) ? given[hexOf(own->code)] : dflt;
        };
        std::vector<unsigned> lines{0}, boxes{1};
        std::optional<std::size_t> overflow;
        const auto glyph = [&](unsigned width, std::size_t at) {
            if ((lines.back() += width + gap) > room && !overflow) {
                overflow = at;
            }
        };
        std::size_t at = 0;
        for (const auto& piece : greedyPieces(table, text)) {
            for (; at < piece.start; ++at) {
                glyph(dflt, at);
            }
            const auto& e = entries[static_cast<std::size_t>(piece.entry)];
            const std::string hex = hexOf(e.code);
            if (hex == "FC") {
                lines.push_back(0);
                boxes.push_back(1);
            } else if (given.count(hex)) {
                glyph(given[hex], at);
            } else if (e.kind == encoding::EntryKind::Text) {
                for (const char16_t c : e.text) {
                    glyph(ownWidth(c), at);
                }
            }
            if (e.kind == encoding::EntryKind::LineBreak) {
                lines.push_back(0);
                overflow = ++boxes.back() > boxRoom && !overflow ? at : overflow;
            }
            at = piece.start + piece.length;
        }
        for (; at < text.size(); ++at) {
            glyph(dflt, at);
        }
        const TextMeasure m = ScreenMeasure(table, WidthFile::read(font)).measure(text);
        std::vector<unsigned> gotLines;
        for (const auto& line : m.lines) {
            gotLines.push_back(static_cast<unsigned>(line.width));
        }
        EXPECT_EQ(gotLines, lines) << tbl << font << std::string(text.begin(), text.end());
        EXPECT_EQ(std::vector<unsigned>(m.boxLines.begin(), m.boxLines.end()), boxes);
        EXPECT_EQ(m.firstOverflow, overflow);
    }
}
