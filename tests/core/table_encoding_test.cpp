#include "core/table_encoding.h"

#include "tests/core/encoding_oracle.h"

#include <gtest/gtest.h>

#include <random>

using namespace encoding;

// "41=A" for a text entry, "FF/<end>" for an end token, "FE*<label>" for a line break; then how
// many lines were skipped, from which.
static std::string describe(const TableEncoding& table) {
    std::string out;
    for (const auto& e : table.entries()) {
        out += oracle::hex(e.code);
        const std::u16string& text = e.kind == EntryKind::LineBreak ? e.label : e.text;
        out += "=/*"[static_cast<int>(e.kind)] + std::string(text.begin(), text.end()) + ' ';
    }
    return out + std::to_string(table.skippedLines()) + " from " +
           std::to_string(table.firstSkippedLine().value_or(0));
}

TEST(TableEncodingReadTest, LineKinds) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"\xEF\xBB\xBF#\n41=A=B\r\n42= B\n6a=j", "41=A=B 42= B 6A=j 0 from 0"},
        {"8140=x\n01020304=y\n0102030405=z\n123=w\n", "8140=x 01020304=y 2 from 3"},
        {"/FF=<end>\n/<end>\n*FE\r\n*FD=<br>\n", "FF/<end> /<end> FE* FD*<br> 0 from 0"},
        {"# c\n\n \t\n$8000=x\n!80=t\n@name\nG1=x\n41\n41=\n/FF\n*\n*G=x\n", "9 from 4"},
    };
    for (const auto& [file, entries] : rows) {
        EXPECT_EQ(describe(TableEncoding::read(file)), entries) << file;
    }
    // Entries made by a program are held to the reader's rules: text, at most four bytes of code,
    // none only for an end token.
    constexpr EntryKind kText = EntryKind::Text;
    EXPECT_EQ(describe(TableEncoding::build({{"A", u"", kText, {}, 0},
                                             {"ABCDE", u"z", kText, {}, 0},
                                             {"", u"e", kText, {}, 0},
                                             {"", u"f", EntryKind::End, {}, 0}})),
              "/f 0 from 0");
    // A high surrogate that ends a view is a character of its own, whatever follows it in memory.
    EXPECT_EQ(bytetext::charLength(std::u16string_view(u"\U0001F600").substr(0, 1), 0), 1u);
    const auto decode = [](std::string_view b) { return std::u16string(b.size(), u'?'); };
    EXPECT_EQ(describe(TableEncoding::read("41=ab\n*FE=c", decode)), "41=?? FE*? 0 from 0");
    // 41 is given "b" after "a", and starts 4142 on lines 2, 3 and 5.
    const auto warnings = TableEncoding::read("40=a\n41=a\n41=b\n4142=c\n41=a\n").warnings();
    EXPECT_EQ((std::vector{warnings.sameCodeOtherText.count, warnings.sameCodeOtherText.firstLine,
                           warnings.prefixCode.count, warnings.prefixCode.firstLine}),
              (std::vector<std::size_t>{1, 3, 3, 2}));
}

// Every figure of short texts over random small tables against the oracle.
TEST(TableEncodingTest, AgreesWithEveryEncodingTried) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 18000; ++round) {
        const auto [table, text] = oracle::drawn([&] { return rng() % 256; });
        ASSERT_TRUE(oracle::agrees(table, text))
            << describe(table) << "|" << std::string(text.begin(), text.end()) << "|";
    }
}
