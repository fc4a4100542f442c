#include "core/screen_widths.h"

#include <gtest/gtest.h>

#include <random>

using namespace screen;

static std::string describe(const WidthFile& f) {
    const auto number = [](const auto& v) { return v ? std::to_string(*v) : std::string("-"); };
    std::string out = number(f.line) + ' ' + number(f.lines) + ' ' + std::to_string(f.gap) + ' ' +
                      std::to_string(f.defaultWidth);
    static constexpr char hex[] = "0123456789ABCDEF";
    const auto code = [](const std::string& c) {
        std::string s;
        for (const char b : c) {
            s += {hex[static_cast<unsigned char>(b) >> 4], hex[b & 0xF]};
        }
        return s;
    };
    for (const auto& [c, w] : f.widths) {
        out += ' ' + code(c) + '=' + std::to_string(w);
    }
    for (const auto& c : f.boxCodes) {
        out += ' ' + code(c) + "=box";
    }
    return out;
}

TEST(WidthFileTest, Lines) {
    const struct {
        std::string_view file, settings;
        std::size_t skipped, unknown;
        std::optional<std::size_t> firstSkipped, firstUnknown;
    } rows[] = {
        {"\xEF\xBB\xBF# font\r\n@line = 144 # room\r\n@lines=3\n\t@gap=1\n@default=8\n 20 = 4 "
         "\nf0=60\n8140=2#x\nFC=Box\n",
         "144 3 1 8 20=4 8140=2 F0=60 FC=box",
         0,
         0,
         {},
         {}},
        {"41=box\n41=8\n42=8\n42=box\n@line=1\n@line=2\n@gap=x\n",
         "2 - 0 0 41=8 42=box",
         1,
         0,
         7,
         {}},
        {"\n41\n41=x\n123=4\n0102030405=1\n@gap=-1\n@line=4294967296\n=3\nG1=2\n@font=x\n@x\n"
         "@Line=2\n01020304=4294967295\n",
         "- - 0 0 01020304=4294967295", 9, 2, 2, 10},
    };
    for (const auto& row : rows) {
        const WidthFile f = WidthFile::read(row.file);
        EXPECT_EQ(describe(f), row.settings) << row.file;
        EXPECT_EQ(f.skippedLines, row.skipped) << row.file;
        EXPECT_EQ(f.unknownKeys, row.unknown) << row.file;
        EXPECT_EQ(f.firstSkippedLine, row.firstSkipped) << row.file;
        EXPECT_EQ(f.firstUnknownKeyLine, row.firstUnknown) << row.file;
    }
}

static std::string joined(const TextMeasure& m) {
    std::string out;
    for (const auto& line : m.lines) {
        out += std::to_string(line.width) + (&line == &m.lines.back() ? " |" : "/");
    }
    for (const auto n : m.boxLines) {
        out += ' ' + std::to_string(n);
    }
    return out;
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
        std::string lines;
        std::optional<std::size_t> overflow;
        std::size_t widest, fullest;
    } rows[] = {
        {kFont, u"", "0 | 1", {}, 0, 0},
        {kFont, u"iiiii", "20 | 1", {}, 0, 0},
        {kFont, u"ABx", "21 | 1", 2, 0, 0},
        {kFont, u"iiiii<br>iiiii\nAB", "20/20/15 | 3", 14, 0, 0},
        {kFont, u"Ai<br>iiiii<box>AB<br>B<end>", "13/20/15/6 | 2 2", {}, 1, 0},
        {kFont, u"B<box><box>iA i", "6/0/12 | 1 1 1", {}, 2, 0},
        {kFont, u"<name>", "61 | 1", 0, 0, 0},
        {"@line=3\n@lines=1\n@default=1\nFE=2\n", u"AiB<br>AB", "5/2 | 2", 3, 0, 0},
        {"@default=1\n@gap=2\nFC=box\n", u"AB<box>A", "6/3 | 1 1", {}, 0, 0},
    };
    const auto table = encoding::TableEncoding::read(kTable);
    for (const auto& row : rows) {
        const ScreenMeasure screen(table, WidthFile::read(row.font));
        const TextMeasure m = screen.measure(row.text);
        EXPECT_EQ(joined(m), row.lines) << row.font << ' ' << row.lines;
        EXPECT_EQ(m.firstOverflow, row.overflow) << row.lines;
        EXPECT_EQ(m.widestLine, row.widest) << row.lines;
        EXPECT_EQ(m.fullestBox, row.fullest) << row.lines;
    }
}

// The layout by hand: longest entry first by trying every entry at each place, then one glyph
// per character of an entry with no width line of its own, each line's glyphs added up.
static std::string layoutByHand(const encoding::TableEncoding& table,
                                std::map<std::string, unsigned> given, std::string box,
                                unsigned gap, unsigned dflt, unsigned room, unsigned boxRoom,
                                std::u16string_view text) {
    const auto& entries = table.entries();
    given.erase(box);
    const auto widthOfChar = [&](char16_t c) -> unsigned {
        const encoding::TableEntry* best = nullptr;
        for (const auto& e : entries) {
            if (e.kind == encoding::EntryKind::Text && e.text == std::u16string(1, c) &&
                (!best || e.code.size() < best->code.size())) {
                best = &e;
            }
        }
        return best && given.count(best->code) ? given[best->code] : dflt;
    };
    std::vector<std::vector<unsigned>> lines(1);
    std::vector<std::size_t> boxes{1};
    std::optional<std::size_t> overflow;
    const auto add = [&](unsigned w, std::size_t at) {
        lines.back().push_back(w);
        unsigned sum = 0;
        for (const unsigned g : lines.back()) {
            sum += g;
        }
        overflow = overflow ? overflow : sum > room ? std::optional(at) : std::nullopt;
    };
    for (std::size_t at = 0; at < text.size();) {
        const encoding::TableEntry* best = nullptr;
        std::size_t length = 0;
        for (const auto& e : entries) {
            for (const auto& t : {e.text, e.label}) {
                if (!t.empty() && text.substr(at, t.size()) == t &&
                    (t.size() > length ||
                     (t.size() == length && e.code.size() < best->code.size()))) {
                    best = &e;
                    length = t.size();
                }
            }
        }
        if (!best) {
            add(dflt + gap, at++);
            continue;
        }
        if (given.count(best->code)) {
            add(given[best->code] + gap, at);
        } else if (best->kind == encoding::EntryKind::Text && best->code != box) {
            for (const char16_t c : best->text) {
                add(widthOfChar(c) + gap, at);
            }
        }
        if (best->code == box) {
            boxes.push_back(1);
            lines.emplace_back();
        } else if (best->kind == encoding::EntryKind::LineBreak) {
            lines.emplace_back();
            if (++boxes.back() > boxRoom && !overflow) {
                overflow = at;
            }
        }
        at += length;
    }
    std::string out;
    for (const auto& line : lines) {
        unsigned sum = 0;
        for (const unsigned g : line) {
            sum += g;
        }
        out += std::to_string(sum) + (&line == &lines.back() ? " |" : "/");
    }
    for (const auto n : boxes) {
        out += ' ' + std::to_string(n);
    }
    return out + (overflow ? " @" + std::to_string(*overflow) : "");
}

TEST(ScreenMeasureTest, AgreesWithALayoutByHand) {
    std::mt19937 random(18);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const std::string letters = "abc ";
    for (int round = 0; round < 300; ++round) {
        std::string tbl = "*FE=|\nFC=^\n/FF=$\n", font = "FC=box\n";
        std::map<std::string, unsigned> given;
        for (int i = 0; i < 7; ++i) {
            const char code[] = {char('0' + pick(3)), char('0' + pick(10))};
            std::string text(1, letters[pick(4)]);
            for (unsigned extra = pick(3) == 0 ? 1 + pick(2) : 0; extra > 0; --extra) {
                text += letters[pick(4)];
            }
            const std::string hex = (pick(4) == 0 ? "80" : "") + std::string(code, 2);
            tbl += hex + '=' + text + '\n';
            std::string bytes = hex.size() == 4 ? std::string(1, '\x80') : "";
            bytes += char((code[0] - '0') * 16 + code[1] - '0');
            if (pick(2) == 0) {
                given[bytes] = pick(10);
                font += hex + '=' + std::to_string(given[bytes]) + '\n';
            }
        }
        const unsigned gap = pick(3), dflt = pick(6), room = 5 + pick(25), boxRoom = 1 + pick(3);
        font += "@gap=" + std::to_string(gap) + "\n@default=" + std::to_string(dflt) +
                "\n@line=" + std::to_string(room) + "\n@lines=" + std::to_string(boxRoom) + '\n';
        std::u16string text;
        for (unsigned n = pick(16); n > 0; --n) {
            text += u"abc abc|^$x\n"[pick(12)];
        }
        const auto table = encoding::TableEncoding::read(tbl);
        const ScreenMeasure screen(table, WidthFile::read(font));
        const TextMeasure m = screen.measure(text);
        const std::string got =
            joined(m) + (m.firstOverflow ? " @" + std::to_string(*m.firstOverflow) : "");
        EXPECT_EQ(got, layoutByHand(table, given, "\xFC", gap, dflt, room, boxRoom, text))
            << tbl << font << std::string(text.begin(), text.end());
    }
}
