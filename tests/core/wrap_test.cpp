#include "core/wrap.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace screen;

constexpr std::string_view kLetters = "20= \n*FE=<br>\nFC=<box>\n30=a\n31=b\n32=c\n33=d\n34=e\n"
                                      "35=f\n36=g\n37=h\n38=i\n39=j\n40=k\n41=l\n42=m\n";

TEST(WrapTest, Rows) {
    const auto table = encoding::TableEncoding::read(std::string(kLetters) + "81=ab\n*FD=<n>\n");
    // A line break one wide: it takes its room on the line it ends.
    const ScreenMeasure screen(
        table, WidthFile::read("@line=10\n@lines=2\n@default=1\nFC=box\n42=11\nFE=1").file);
    const struct {
        std::u16string_view in, out;
        std::vector<std::size_t> tooWide;
        bool fits = true;
    } rows[] = {
        {u"aaaaaaaaa bbbbbbbbb ccc", u"aaaaaaaaa<br>bbbbbbbbb<box>ccc", {}},
        {u"aaaaaaaaa<box>bbbbbbbbb ccc", u"aaaaaaaaa<box>bbbbbbbbb<br>ccc", {}},
        {u"aaaaa aaaa b", u"aaaaa<br>aaaa b", {}}, // 10 wide, and 1 more for the break
        {u"aaaaa aaaa", u"aaaaa aaaa", {}},        // the last line: no break after it
        {u"<br>abcdefghijkl", u" abcdefgh<br>ijkl", {12}},
        {u"xxxxxxxxxxxaxxxxxxxxx", u"xxxxxxxxx<br>xxaxxxxxxx<box>xx", {9, 19}}, // uncovered
        {u"cccccccccabc", u"ccccccccc<br>abc", {9}}, // never inside a code
        {u"a m", u"a<br>m", {2}, false},             // m is wider than a line
    };
    for (const auto& row : rows) {
        const WrappedLine got = wrapLine(screen, row.in);
        EXPECT_EQ(std::tuple(got.text, got.tooWide, got.fits),
                  std::tuple(std::u16string(row.out), row.tooWide, row.fits))
            << (&row - rows);
    }
}

// Every break written as text (and so every break the wrap put in) replaced by a blank.
static std::u16string blanked(std::u16string text) {
    for (std::size_t at; (at = text.find_first_of(u'<')) != std::u16string::npos;) {
        text.replace(at, text.find(u'>', at) + 1 - at, u" ");
    }
    return text;
}

TEST(WrapTest, PropertiesOnRandomLines) {
    std::mt19937 random(18);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    // Proportional widths, and entries that span a blank.
    const auto table =
        encoding::TableEncoding::read(std::string(kLetters) + "80=e \n81=ab\n82= a\n");
    int uncut = 0; // lines the properties were checked on
    for (int round = 0; round < 1500; ++round) {
        std::string font = "@gap=" + std::to_string(pick(2)) +
                           "\n@default=" + std::to_string(1 + pick(4)) +
                           "\n@line=" + std::to_string(12 + pick(30));
        font += "\n@lines=" + std::to_string(1 + pick(3)) + (pick(3) ? "\nFC=box\n" : "\n");
        font += pick(2) ? "FE=" + std::to_string(pick(4)) + '\n' : ""; // the break takes room
        for (int code = 30; code < 43; ++code) {
            font += pick(2) ? std::to_string(code) + '=' + std::to_string(pick(7)) + '\n' : "";
        }
        const ScreenMeasure screen(table, WidthFile::read(font).file);
        std::u16string in;
        for (unsigned n = pick(12); n > 0; --n) {
            std::generate_n(std::back_inserter(in), 1 + pick(5),
                            [&] { return u"abcdefghijklm"[pick(13)]; });
            in += pick(8) == 0 ? u"<br>" : pick(12) == 0 ? u"<box>" : pick(5) ? u" " : u"   ";
        }
        const auto [out, tooWide, fits] = wrapLine(screen, in);
        if (!tooWide.empty()) {
            continue;
        }
        ++uncut;
        ASSERT_EQ(blanked(out), blanked(in)) << font;
        EXPECT_EQ(wrapLine(screen, out).text, out) << font;
        const TextMeasure m = screen.measure(out);
        EXPECT_TRUE(screen.lineFits(m.widest())) << font;
        EXPECT_TRUE(!screen.boxText() || screen.boxFits(m.fullest())) << font;
        EXPECT_EQ(fits, !screen.boxText() ? !m.firstOverflow : true);
        // Every <br> was put in by the wrap (typed ones became blanks): the blank it took and the
        // next word up to a break do not fit on its line, with a line break's room unless the
        // text ends there (a box code at most as wide, or held to that room when it is typed).
        for (std::size_t i = 0; i + 1 < m.lines.size(); ++i) {
            const std::size_t start = m.lines[i].start, end = out.find(u"<br>", start),
                              next = m.lines[i + 1].start;
            if (end + 4 == next) {
                const std::size_t npos = std::u16string::npos,
                                  stop =
                                      std::min({out.find(u"<br>", next),
                                                screen.boxText() ? out.find(u"<box>", next) : npos,
                                                out.find(u' ', out.find_first_not_of(u' ', next))});
                const auto longer = out.substr(start, stop - start).replace(end - start, 4, u" ") +
                                    (stop == npos ? u"" : u"<br>");
                EXPECT_FALSE(screen.lineFits(screen.measure(longer).widest())) << font;
            }
        }
    }
    EXPECT_GT(uncut, 750);
}
