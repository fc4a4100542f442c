#include "core/table_encoding.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace {

using encoding::EntryKind;
using encoding::Strategy;
using encoding::TableEncoding;

// "41=A" for a text entry, "FF/<end>" for an end token, "FE*<label>" for a line break.
std::string describe(const TableEncoding& table) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const auto& entry : table.entries()) {
        for (const char b : entry.code) {
            out += {hex[static_cast<unsigned char>(b) >> 4], hex[b & 0xF]};
        }
        out += entry.kind == EntryKind::Text ? '=' : entry.kind == EntryKind::End ? '/' : '*';
        for (const char16_t c : entry.kind == EntryKind::LineBreak ? entry.label : entry.text) {
            out += static_cast<char>(c);
        }
        out += ' ';
    }
    return out;
}

TEST(TableEncodingReadTest, LineKinds) {
    struct Row {
        std::string_view file;
        std::string entries;
        std::size_t skipped;
    };
    const Row rows[] = {
        {"41=A\r\n42= B\n6a=j", "41=A 42= B 6A=j ", 0},
        {"\xEF\xBB\xBF"
         "41=A=B\r\n",
         "41=A=B ", 0},
        {"8140=x\n01020304=y\n0102030405=z\n123=w\n", "8140=x 01020304=y ", 2},
        {"/FF=<end>\n/<end>\n*FE\r\n*FD=<br>\n", "FF/<end> /<end> FE* FD*<br> ", 0},
        {"# c\n\n \t\n$8000=x\n!80=t\n@name\nG1=x\n41\n41=\n/FF\n*\n*G=x\n", "", 9},
    };
    for (const Row& row : rows) {
        const TableEncoding table = TableEncoding::read(row.file);
        EXPECT_EQ(describe(table), row.entries) << row.file;
        EXPECT_EQ(table.skippedLines(), row.skipped) << row.file;
    }
    EXPECT_EQ(TableEncoding::read("#\n\n$1=x\n41=A").firstSkippedLine(), 3u);
    // The caller's decoder turns the text bytes into characters.
    const auto utf8 = TableEncoding::read("8140=\xE3\x81\x82", [](std::string_view b) {
        return b == "\xE3\x81\x82" ? std::u16string(u"あ") : std::u16string(u"?");
    });
    EXPECT_EQ(utf8.entries().at(0).text, u"あ");
}

TEST(TableEncodingTest, Examples) {
    struct Row {
        std::string_view table;
        std::u16string_view text;
        std::size_t greedy, optimal, uncovered;
        std::optional<std::size_t> firstUncovered;
    };
    const std::string_view abcd = "61=a\n62=b\n63=c\n64=d\n80=ab\n81=bcd\n";
    const Row rows[] = {
        {abcd, u"abcd", 3, 2, 0, {}},
        {abcd, u"", 0, 0, 0, {}},
        // 80 then 81 reads back as 8081 ("y"): the optimum pays for z's longer code.
        {"80=x\n81=z\n8081=y\n9091=z\n", u"xz", 2, 3, 0, {}},
        {"80=x\n81=z\n8081=y\n", u"xzz", 3, 2, 1, 0},
        // A longer code beyond the next one forbids the pair as well.
        {"01=a\n02=b\n010203=c\n0302=b\n", u"ab", 2, 3, 0, {}},
        {"41=A\n/FF=<end>\n*FE\n", u"A<end>\nA", 4, 4, 0, {}},
        {"41=A\n/<end>\n*FE=<br>\n", u"A<end>A<br>", 3, 3, 0, {}},
        {"8140=\xE9\n41=A\n", u"éAé", 5, 5, 0, {}},
        {"41=A\n", u"AxA\U0001F600", 2, 2, 2, 1},
    };
    for (const Row& row : rows) {
        const auto cost = TableEncoding::read(row.table).encode(row.text);
        const std::string where(row.table);
        EXPECT_EQ(cost.greedy.bytes, row.greedy) << where;
        EXPECT_EQ(cost.optimal.bytes, row.optimal) << where;
        EXPECT_EQ(cost.optimal.uncovered, row.uncovered) << where;
        EXPECT_EQ(cost.optimal.firstUncovered, row.firstUncovered) << where;
    }
}

TEST(TableEncodingTest, StopsFittingWhereTheBudgetRunsOut) {
    const auto cost =
        TableEncoding::read("61=a\n62=b\n63=c\n64=d\n80=ab\n81=bcd\n").encode(u"abcdxab");
    struct Row {
        std::size_t budget;
        Strategy strategy;
        std::optional<std::size_t> position;
    };
    // greedy: ab c d (x) ab; optimal: a bcd (x) ab
    const Row rows[] = {{4, Strategy::Greedy, {}},  {3, Strategy::Greedy, 5},
                        {1, Strategy::Greedy, 2},   {0, Strategy::Greedy, 0},
                        {3, Strategy::Optimal, {}}, {2, Strategy::Optimal, 5},
                        {1, Strategy::Optimal, 1}};
    for (const Row& row : rows) {
        EXPECT_EQ(cost.stopsFitting(row.budget, row.strategy), row.position) << row.budget;
    }
}

// Random tables over a small alphabet, every letter with an entry of its own. With one-byte
// codes no code extends another; with codes of one to three bytes from a narrow range many do.
TEST(TableEncodingTest, RandomTablesAndTexts) {
    std::mt19937 random(20240611);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 400; ++round) {
        const bool mixed = round % 2 == 1;
        const bool singlesOnly = round % 4 == 0;
        std::map<std::string, std::u16string> byCode;
        std::string file;
        const auto add = [&](const std::u16string& text) {
            std::string code;
            do {
                code.clear();
                const int length = mixed ? pick(1, 4) : 1;
                for (int i = 0; i < length; ++i) {
                    code += static_cast<char>(mixed ? pick(0, 3) : pick(0x80, 0xFF));
                }
            } while (byCode.count(code) != 0);
            byCode[code] = text;
            static constexpr char hex[] = "0123456789ABCDEF";
            for (const char b : code) {
                file += {hex[static_cast<unsigned char>(b) >> 4], hex[b & 0xF]};
            }
            file += '=' + std::string(text.begin(), text.end()) + '\n';
        };
        for (char16_t c = u'a'; c <= u'f'; ++c) {
            add(std::u16string(1, c));
        }
        for (int n = singlesOnly ? 0 : pick(1, 12); n > 0; --n) {
            std::u16string text(static_cast<std::size_t>(pick(2, 4)), u'a');
            for (auto& c : text) {
                c = static_cast<char16_t>(u'a' + pick(0, 5));
            }
            add(text);
        }
        const TableEncoding table = TableEncoding::read(file);
        std::u16string text(static_cast<std::size_t>(pick(0, 30)), u'a');
        for (auto& c : text) {
            c = static_cast<char16_t>(u'a' + pick(0, 5));
        }
        const auto cost = table.encode(text);
        SCOPED_TRACE(file + std::string(text.begin(), text.end()));

        if (!mixed) {
            EXPECT_LE(cost.optimal.bytes, cost.greedy.bytes);
            EXPECT_EQ(cost.optimal.uncovered, 0u);
        }
        if (singlesOnly) {
            EXPECT_EQ(cost.greedy.bytes, text.size());
            EXPECT_EQ(cost.optimal.bytes, text.size());
        }
        // The optimal bytes, read longest code first, give back the text of its pieces.
        std::string bytes;
        std::u16string covered;
        for (const auto& piece : cost.optimal.pieces) {
            bytes += table.entries().at(static_cast<std::size_t>(piece.entry)).code;
            covered += text.substr(piece.start, piece.length);
        }
        EXPECT_EQ(bytes.size(), cost.optimal.bytes);
        EXPECT_EQ(covered.size() + cost.optimal.uncovered, text.size());
        std::u16string decoded;
        for (std::size_t at = 0; at < bytes.size();) {
            std::size_t length = std::min<std::size_t>(4, bytes.size() - at);
            while (length > 0 && byCode.count(bytes.substr(at, length)) == 0) {
                --length;
            }
            ASSERT_GT(length, 0u);
            decoded += byCode[bytes.substr(at, length)];
            at += length;
        }
        EXPECT_EQ(decoded, covered);
    }
}

} // namespace
