#include "core/table_encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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
}

constexpr std::string_view abcd = "61=a\n62=b\n63=c\n64=d\n80=ab\n81=bcd\n";

TEST(TableEncodingTest, Examples) {
    const std::u16string lone{u'x', char16_t{0xDC00}, u'A'};
    const struct {
        std::string_view table;
        std::u16string_view text;
        std::size_t greedy, optimal, uncovered;
        std::optional<std::size_t> firstUncovered;
    } rows[] = {
        {abcd, u"abcd", 3, 2, 0, {}},
        // 80 81 reads back as 8081 and 01 02 as 010203: the optimum avoids such pairs.
        {"80=x\n81=z\n8081=y\n9091=z\n", u"xzxx", 4, 5, 0, {}},
        {"80=x\n81=z\n8081=y\n", u"xzz", 3, 2, 1, 0},
        {"01=a\n02=b\n010203=c\n0302=b\n", u"ab", 2, 3, 0, {}},
        {"41=A\n/FF=<end>\n*FE=<br>\n", u"A<end>\nA<br>", 5, 5, 0, {}},
        {"8140=\xE9\n41=A\n/<z>\n", u"éA<z>é", 5, 5, 0, {}},
        {"41=A\n", u"AxA\U0001F600", 2, 2, 2, 1},
        {"41=A\n", lone, 1, 1, 2, 0}, // a lone low surrogate is a character of its own
    };
    for (const auto& row : rows) {
        const auto cost = TableEncoding::read(row.table).encode(row.text);
        EXPECT_EQ(cost.greedy.bytes, row.greedy) << row.table;
        EXPECT_EQ(cost.optimal.bytes, row.optimal) << row.table;
        EXPECT_EQ(cost.optimal.uncovered, row.uncovered) << row.table;
        EXPECT_EQ(cost.optimal.firstUncovered, row.firstUncovered) << row.table;
    }
}

TEST(TableEncodingTest, StopsFittingWhereTheBudgetRunsOut) {
    const auto cost = TableEncoding::read(abcd).encode(u"abcdxab");
    // Per budget of 0 to 4 bytes. Greedy: ab c d (x) ab; optimal: a bcd (x) ab.
    const std::optional<std::size_t> greedy[] = {0, 2, 3, 5, {}}, optimal[] = {0, 1, 5, {}, {}};
    for (std::size_t budget = 0; budget < 5; ++budget) {
        EXPECT_EQ(cost.stopsFitting(budget, Strategy::Greedy), greedy[budget]) << budget;
        EXPECT_EQ(cost.stopsFitting(budget, Strategy::Optimal), optimal[budget]) << budget;
    }
}

// Random tables over "abcdef", every letter with an entry of its own. With one-byte codes no
// code extends another; with codes of one to four bytes of 00, 01, 10 or 11 many do.
TEST(TableEncodingTest, RandomTablesAndTexts) {
    std::mt19937 rng(20240611);
    const auto pick = [&](int low, int high) -> int { return low + rng() % (high - low + 1); };
    const auto word = [&](int length, int low, int high) {
        std::string out(length, ' ');
        std::generate(out.begin(), out.end(), [&] { return pick(low, high); });
        return out;
    };
    for (int round = 0; round < 400; ++round) {
        const bool mixed = round % 2 == 1, singlesOnly = round % 4 == 0;
        std::string file;
        for (int n = 0, count = singlesOnly ? 6 : pick(7, 18); n < count; ++n) {
            std::string code;
            while (code.empty() || file.find('\n' + code + '=') != std::string::npos) {
                code = mixed ? word(2 * pick(1, 4), '0', '1') : word(2, 'A', 'F');
            }
            file += '\n' + code + '=' +
                    (n < 6 ? word(1, 'a' + n, 'a' + n) : word(pick(2, 4), 'a', 'f'));
        }
        const TableEncoding table = TableEncoding::read(file);
        const std::string text = word(pick(0, 30), 'a', 'f');
        const auto cost = table.encode(std::u16string(text.begin(), text.end()));
        SCOPED_TRACE(file + "\n" + text);
        if (!mixed) { // one-byte codes: the optimum weighs the greedy encoding too
            EXPECT_EQ(cost.optimal.uncovered, 0u);
            EXPECT_LE(cost.optimal.bytes, cost.greedy.bytes);
            EXPECT_TRUE(!singlesOnly ||
                        (cost.greedy.bytes == text.size() && cost.optimal.bytes == text.size()));
        }
        // The optimal bytes, read longest code first, give back the text of its pieces.
        std::map<std::string, std::string> byCode;
        for (const auto& entry : table.entries()) {
            byCode[entry.code] = std::string(entry.text.begin(), entry.text.end());
        }
        std::string bytes, covered, decoded;
        for (const auto& piece : cost.optimal.pieces) {
            bytes += table.entries().at(static_cast<std::size_t>(piece.entry)).code;
            covered += text.substr(piece.start, piece.length);
        }
        EXPECT_EQ(bytes.size(), cost.optimal.bytes);
        for (std::size_t at = 0, length = 4; at < bytes.size(); at += length, length = 4) {
            while (byCode.count(bytes.substr(at, length)) == 0) {
                ASSERT_GT(--length, 0u);
            }
            decoded += byCode[bytes.substr(at, length)];
        }
        EXPECT_EQ(decoded, covered);
    }
}
