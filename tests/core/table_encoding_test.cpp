#include "core/table_encoding.h"

#include "tests/core/encoding_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace encoding;

// "41=A" for a text entry, "FF/<end>" for an end token, "FE*<label>" for a line break.
static std::string describe(const TableEncoding& table) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const auto& e : table.entries()) {
        for (const char b : e.code) {
            out += {hex[static_cast<unsigned char>(b) >> 4], hex[b & 0xF]};
        }
        const std::u16string& text = e.kind == EntryKind::LineBreak ? e.label : e.text;
        out += "=/*"[static_cast<int>(e.kind)] + std::string(text.begin(), text.end()) + ' ';
    }
    return out;
}

TEST(TableEncodingReadTest, LineKinds) {
    const struct {
        std::string_view file, entries;
        std::size_t skipped;
    } rows[] = {
        {"\xEF\xBB\xBF#\n41=A=B\r\n42= B\n6a=j", "41=A=B 42= B 6A=j ", 0},
        {"8140=x\n01020304=y\n0102030405=z\n123=w\n", "8140=x 01020304=y ", 2},
        {"/FF=<end>\n/<end>\n*FE\r\n*FD=<br>\n", "FF/<end> /<end> FE* FD*<br> ", 0},
        {"# c\n\n \t\n$8000=x\n!80=t\n@name\nG1=x\n41\n41=\n/FF\n*\n*G=x\n", "", 9},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(describe(TableEncoding::read(row.file)), row.entries) << row.file;
        EXPECT_EQ(TableEncoding::read(row.file).skippedLines(), row.skipped) << row.file;
    }
    EXPECT_EQ(TableEncoding::read("#\n\n$1=x\n41=A").firstSkippedLine(), 3u);
    const auto decode = [](std::string_view b) { return std::u16string(b.size(), u'?'); };
    EXPECT_EQ(describe(TableEncoding::read("41=ab\n*FE=c", decode)), "41=?? FE*? ");
    // 41 is given "b" after "a", and starts 4142 on lines 2, 3 and 5.
    const auto warnings = TableEncoding::read("40=a\n41=a\n41=b\n4142=c\n41=a\n").warnings();
    EXPECT_EQ((std::vector{warnings.sameCodeOtherText.count, warnings.sameCodeOtherText.firstLine,
                           warnings.prefixCode.count, warnings.prefixCode.firstLine}),
              (std::vector<std::size_t>{1, 3, 3, 2}));
}

TEST(TableEncodingTest, Examples) {
    const std::u16string lone{u'x', char16_t{0xDC00}, u'A'};
    const struct {
        std::string_view table;
        std::u16string_view text;
        std::size_t greedy, optimal, uncovered;
        std::optional<std::size_t> firstUncovered, misreadAt;
        std::u16string_view reads;
        std::optional<std::size_t> cannotBeWrittenAt;
    } rows[] = {
        {"61=a\n62=b\n63=c\n64=d\n80=ab\n81=bcd\n", u"abcd", 3, 2, 0, {}, {}, u"", {}},
        // 81 43 reads back: 814343 needs a third byte.
        {"43= \n*814343=<N>\n81=d\n", u"d ", 2, 2, 0, {}, {}, u"", {}},
        {"/30=<P>\n30308233=d\n", u"<P><P>", 2, 2, 0, {}, {}, u"", {}},
        {"41=k\n32=\xE9\n41324139=\xE9k\xE9\n", u"k\u00E9k\u00E9", 5, 4, 0, {}, {}, u"", {}},
        // x z can only be 81 40, which the game reads as y.
        {"81=x\n8140=y\n40=z\n", u"xz", 2, 2, 0, {}, 0, u"y", 1},
        {"81=x\n*8140\n40=z\n", u"xzq", 2, 2, 1, 2, 0, u"\n", 1},
        // zx zx (y) z is misread; z (x) zx (y) z and zx z (x) (y) z tie, the first skips first.
        {"10=zx\n1010=xxz\n11=z\n", u"zxzxyz", 3, 3, 2, 1, 0, u"xxz", {}},
        {"41=A\n/FF=<end>\n*FE=<br>\n", u"A<end>\nA<br>", 5, 5, 0, {}, {}, u"", {}},
        {"8140=\xE9\n41=A\n/<z>\n", u"\u00E9A<z>\u00E9", 5, 5, 0, {}, {}, u"", {}},
        {"41=A\n", u"AxA\U0001F600", 2, 2, 2, 1, {}, u"", {}},
        {"41=A\n", lone, 1, 1, 2, 0, {}, u"", {}}, // a lone low surrogate is a character
    };
    for (const auto& row : rows) {
        const auto cost = TableEncoding::read(row.table).encode(row.text);
        SCOPED_TRACE(row.table);
        EXPECT_EQ(cost.greedy.bytes, row.greedy);
        EXPECT_EQ(cost.optimal.bytes, row.optimal);
        EXPECT_EQ(cost.optimal.uncovered, row.uncovered);
        EXPECT_EQ(cost.optimal.firstUncovered, row.firstUncovered);
        EXPECT_EQ(cost.misread ? std::optional(cost.misread->at) : std::nullopt, row.misreadAt);
        EXPECT_EQ(cost.misread ? cost.misread->reads : u"", row.reads);
        EXPECT_EQ(cost.cannotBeWrittenAt, row.cannotBeWrittenAt);
    }
}

// Random small tables over a few letters (z read as U+017A) whose codes of one to four bytes
// of 00 or 01 often start one another, with texts of several letters, zero-byte tokens, line
// breaks and codes given twice; every figure of short texts against the oracle.
TEST(TableEncodingTest, AgreesWithEveryEncodingTried) {
    std::mt19937 rng(20240611);
    const auto widen = [](std::string_view bytes) {
        std::u16string out(bytes.begin(), bytes.end());
        std::replace(out.begin(), out.end(), u'z', u'\u017A');
        return out;
    };
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const auto word = [&](std::size_t length, std::string_view from) {
        std::string out;
        while (out.size() < length) {
            out += from[pick(from.size())];
        }
        return out;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string_view letters = std::string_view("wxyz").substr(0, 3 + pick(2));
        std::string file;
        for (std::size_t n = 0, count = 3 + pick(8); n < count; ++n) {
            const std::string code = word(2 * (1 + pick(4)), "01"),
                              shown = word(1 + pick(3), letters);
            const std::string kinds[] = {"", "", "", "/", "*"};
            const std::string kind = kinds[pick(5)];
            file += kind == "/" && pick(2) == 0 ? "/" + shown : kind + code + "=" + shown;
            file += '\n';
        }
        const TableEncoding table = TableEncoding::read(file, widen);
        const std::string line = word(pick(9), std::string(letters) + "\n");
        const std::u16string text = widen(line);
        const auto want = oracle::figures(table.entries(), text);
        const auto cost = table.encode(text);
        SCOPED_TRACE(file + "|" + line + "|");
        ASSERT_EQ(cost.greedy.bytes, want.greedyBytes);
        ASSERT_EQ(cost.greedy.uncovered, want.greedyUncovered);
        ASSERT_EQ(cost.misread ? std::optional(cost.misread->at) : std::nullopt, want.misreadAt);
        ASSERT_EQ(cost.misread ? cost.misread->reads : u"", want.reads);
        ASSERT_EQ(std::tuple(cost.optimal.uncovered, cost.optimal.bytes,
                             cost.optimal.firstUncovered.value_or(~0u)),
                  want.optimal);
        ASSERT_EQ(cost.cannotBeWrittenAt, want.cannotBeWrittenAt);
        // The optimal pieces are an encoding of that cost, and read back when one does.
        std::vector<oracle::Written> written;
        std::size_t bytes = 0;
        for (const auto& piece : cost.optimal.pieces) {
            const auto& entry = table.entries()[static_cast<std::size_t>(piece.entry)];
            bytes += entry.code.size();
            if (!entry.code.empty()) {
                written.push_back({entry.code, piece.start});
            }
        }
        ASSERT_EQ(bytes, cost.optimal.bytes);
        ASSERT_TRUE(cost.cannotBeWrittenAt || !oracle::misread(table.entries(), written));
        const auto counted = table.encode(text, {true, true, false});
        ASSERT_EQ(
            std::tuple(counted.greedy.bytes, counted.optimal.bytes, counted.optimal.firstUncovered),
            std::tuple(cost.greedy.bytes, cost.optimal.bytes, cost.optimal.firstUncovered));
    }
}
