#include "core/char_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;
using TableLoadStatus = CharTable::LoadStatus;
namespace fs = std::filesystem;
constexpr auto kComplete = TableLoadStatus::Complete;
constexpr auto kPastEnd = TableLoadStatus::ReadPastEnd;

const auto latin1 = CharTable::widenBytes;

using Entries = std::map<int, std::string>;

Entries storedEntries(const CharTable& table) {
    Entries entries;
    for (int code = 0; code < 256; ++code) {
        if (!table.entry(code).bytes.empty()) {
            entries[code] = table.entry(code).bytes;
        }
    }
    return entries;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CharTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "char_table_test_XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    CharTable table;
};

TEST(ParseTableTest, StoresExactlyTheExpectedEntries) {
    // name, file, the parse's result, the entries stored
    // clang-format off
    const std::tuple<const char*, std::string, TableLoadStatus, Entries> rows[] = {
        {"MixedCaseCodes", "4a=x\r\nfF=z\r\n", kComplete, {{0x4A, "x"}, {0xFF, "z"}}},
        {"NonHexCountsAsZero", "G1=x\r\nzz=w\r\n", kComplete, {{0x01, "x"}, {0x00, "w"}}},
        {"SameCodeReplaces", "4a=long\r\n4A=B\r\n", kComplete, {{0x4A, "B"}}},
        {"FourDigitCode", "8140=X\r\n", kComplete, {{0x81, "0=X"}}},
        {"BlanksAroundEquals", "41 = A\r\n", kComplete, {{0x41, "= A"}}},
        {"EmptyValueSwallowsNextLine", "41=\r\n42=B\r\n43=C\r\n", kComplete, {{0x41, "\r\n42=B"}, {0x43, "C"}}},
        {"LineWithoutEquals", "Hello\r\n", kComplete, {{14, "lo"}}},
        {"EqualsAndLoneLfInValue", "41===\n=\r\n42=B\r\n", kComplete, {{0x41, "==\n="}, {0x42, "B"}}},
        {"AnyByteInValue", "00=\0\xE9\xFF\r\n"s, kComplete, {{0x00, "\0\xE9\xFF"s}}},
        {"LastLineWithoutCrLf", "41=A\r\n42=BC", kPastEnd, {{0x41, "A"}, {0x42, "BC"}}},
        {"LastLineEndedByCrAlone", "41=A\r\n42=B\r", kPastEnd, {{0x41, "A"}, {0x42, "B"}}},
        {"TrailingBlankLine", "41=A\r\n\r\n", kPastEnd, {{0x41, "A"}}},
        // the third CR LF is code 0, a skipped CR and a value starting with LF
        {"TwoTrailingBlankLines", "41=A\r\n\r\n\r\n", kPastEnd, {{0x41, "A"}, {0x00, "\n"}}},
        {"LfOnlyLineEnds", "41=A\n42=B\n", kPastEnd, {{0x41, "A\n42=B\n"}}},
        {"EmptyValueOnLastLine", "41=A\r\n42=\r\n", kPastEnd, {{0x41, "A"}, {0x42, "\r\n"}}},
        {"EmptyFile", "", kPastEnd, {}},
        {"EndInsideCode", "41=A\r\n4", kPastEnd, {{0x41, "A"}}},
        {"EndBeforeSeparator", "41=A\r\n42", kPastEnd, {{0x41, "A"}}},
        {"EndBeforeFirstValueByte", "41=A\r\n42=", kPastEnd, {{0x41, "A"}}},
        // a value cut by the end still replaces what the code held
        {"PartialValueReplaces", "41=ABC\r\n41=D", kPastEnd, {{0x41, "D"}}},
        // a failed entry leaves the code as an earlier line of the same file set it
        {"FailedEntryKeepsEarlierValue", "41=A\r\n41=", kPastEnd, {{0x41, "A"}}},
    };
    // clang-format on
    for (const auto& [name, file, status, entries] : rows) {
        SCOPED_TRACE(name);
        CharTable table;
        EXPECT_EQ(table.parse(file, latin1), status);
        EXPECT_EQ(storedEntries(table), entries);
        for (std::size_t code = 0; code < 256; ++code) {
            EXPECT_EQ(table.entry(code).text, latin1(table.entry(code).bytes));
        }
        // Whatever a file held, the dump of its table reads back as the same table, completely.
        CharTable reread;
        EXPECT_EQ(reread.parse(table.formatDump(), latin1), entries.empty() ? kPastEnd : kComplete);
        EXPECT_EQ(storedEntries(reread), entries);
    }
}

// Weights past int32 on zero digits are harmless; a value beyond int32 saturates.
TEST(HexToByteTest, ReadsHexDigitsAndCountsOtherBytesAsZero) {
    // clang-format off
    const std::pair<std::string, std::int32_t> rows[] = {
        {"4a", 0x4A}, {"4A", 0x4A}, {"fF", 255}, {"00", 0}, {"G1", 1}, {"9g", 0x90}, {" 1", 1},
        {"\r\n", 0}, {"=-", 0}, {"\xE9\xC3", 0}, {"f", 15}, {"100", 256}, {"", 0},
        {"7FFFFFFF", 0x7FFFFFFF}, {"0000000000000000000000001", 1}, {"80000000", 0x7FFFFFFF},
        {"1000000000", 0x7FFFFFFF}};
    // clang-format on
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(CharTable::hexToByte(text), value) << '"' << text << '"';
    }
}

// The dump file holds "old" before each load; a load that must not dump leaves it so.
TEST_F(CharTableTest, LoadDumpsOnlyAfterACompleteParse) {
    // table ("" names the folder itself), its bytes, the load's result, the dump file after it
    // clang-format off
    const std::tuple<const char*, std::string, TableLoadStatus, std::string> rows[] = {
        {"a.tbl", "42=B\r\n0a=x\r\n", kComplete, "0A=x\r\n42=B\r\n"}, {"a.tbl", "41=A\r\n42=B", kPastEnd, "old"},
        {"a.tbl", "41=A\r\n42=B\r", kPastEnd, "old"}, {"a.tbl", "41=A\r\n\r\n", kPastEnd, "old"},
        {"a.tbl", "", kPastEnd, "old"}, {"missing.tbl", "", TableLoadStatus::CannotOpen, "old"},
        {"", "", TableLoadStatus::CannotOpen, "old"}};
    // clang-format on
    for (const auto& [name, file, status, dump] : rows) {
        SCOPED_TRACE(name + file);
        writeFile(dir / "tdf.txt", "old");
        writeFile(dir / "a.tbl", file);
        const auto before = storedEntries(table);
        std::vector<std::string> chosen; // what the decoder chooser was given, each time
        const auto choose = [&](std::string_view whole) {
            chosen.emplace_back(whole);
            return latin1;
        };
        EXPECT_EQ(table.load(dir / name, dir / "tdf.txt", choose), status);
        EXPECT_EQ(readFile(dir / "tdf.txt"), dump);
        if (status == TableLoadStatus::CannotOpen) {
            EXPECT_TRUE(chosen.empty());
            EXPECT_EQ(storedEntries(table), before);
        } else {
            EXPECT_EQ(chosen, std::vector<std::string>{file});
        }
    }
    // An unwritable dump and an empty decoder chooser fail nothing.
    writeFile(dir / "a.tbl", "43=C\r\n");
    EXPECT_EQ(table.load(dir / "a.tbl", dir / "no" / "tdf.txt", {}), kComplete);
    EXPECT_EQ(table.entry(0x43).text, u"C");
}

// Each load marks its decoded texts, to tell which load decoded an entry; a value decoded in
// pieces would carry the mark more than once.
TEST_F(CharTableTest, SecondLoadKeepsTheFirstTablesOtherCodesWithTheirDecoding) {
    const auto tagging = [](std::u16string tag) {
        return [tag](std::string_view) -> CharTable::DecodeEntry {
            return [tag](std::string_view bytes) { return tag + latin1(bytes); };
        };
    };
    writeFile(dir / "1.tbl", "41=A\xC3\xA9\r\n42=B\r\n");
    writeFile(dir / "2.tbl", "42=Z\r\n43=C\r\n");
    ASSERT_EQ(table.load(dir / "1.tbl", dir / "tdf.txt", tagging(u"1:")), kComplete);
    ASSERT_EQ(table.load(dir / "2.tbl", dir / "tdf.txt", tagging(u"2:")), kComplete);
    EXPECT_EQ(storedEntries(table), (Entries{{0x41, "A\xC3\xA9"}, {0x42, "Z"}, {0x43, "C"}}));
    EXPECT_EQ(table.entry(0x41).text, u"1:A\u00C3\u00A9");
    EXPECT_EQ(table.entry(0x42).text, u"2:Z");
    EXPECT_EQ(readFile(dir / "tdf.txt"), "41=A\xC3\xA9\r\n42=Z\r\n43=C\r\n");
}

TEST_F(CharTableTest, DumpListsEntriesInCodeOrderWithBytesUnchanged) {
    writeFile(dir / "tbl.txt", std::string(1000, 'x')); // replaced whole, not overwritten
    ASSERT_TRUE(table.dump(dir / "tbl.txt"));           // an empty table dumps an empty file
    EXPECT_EQ(readFile(dir / "tbl.txt"), "");
    // 0F's value spreads over two lines of the dump
    ASSERT_EQ(table.parse("FF=last\r\n0F=\r\n42=B\r\n00=\xC3\xA9\r\n0A=a\r\nAB= = \r\n", {}),
              kComplete);
    ASSERT_TRUE(table.dump(dir / "tbl.txt"));
    EXPECT_EQ(readFile(dir / "tbl.txt"),
              "00=\xC3\xA9\r\n0A=a\r\n0F=\r\n42=B\r\nAB= = \r\nFF=last\r\n");
    EXPECT_FALSE(table.dump(dir / "missing" / "tdf.txt"));
    EXPECT_FALSE(table.dump(dir));
}

TEST_F(CharTableTest, TableHoldsOnlyWholeEntryTexts) {
    // Code 255 counts too; each entry's one byte picks its text, such as U+00E9 for code 80
    // as a decoded UTF-8 entry would give.
    const std::u16string texts[] = {u"A", u"the", u"x", u"x", u"#", u"\u00E9", u"\0"s};
    ASSERT_EQ(table.parse("41=0\r\n74=1\r\n10=2\r\n11=3\r\nFF=4\r\n80=5\r\n81=6\r\n",
                          [&](std::string_view bytes) { return texts[bytes[0] - '0']; }),
              kComplete);
    const std::pair<std::u16string, bool> rows[] = {
        {u"A", true},   {u"a", false}, {u"t", false},     {u"the", true},
        {u"x", true},   {u"#", true},  {u"\u00E9", true}, {u"\u00C3", false},
        {u"\0"s, true}, {u" ", false}, {u"", false},      {u"AA", false}};
    for (const auto& [character, held] : rows) {
        EXPECT_EQ(table.holds(character), held)
            << "character code " << (character.empty() ? -1 : int(character[0]));
    }
}

} // namespace
