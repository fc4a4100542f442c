#include "core/char_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

namespace {

using namespace std::string_literals;
using Module1::CharTable;
using Module1::TableLoadStatus;
namespace fs = std::filesystem;

std::u16string latin1(std::string_view bytes) {
    std::u16string text;
    for (const char b : bytes) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(b)));
    }
    return text;
}

const Module1::DecodeEntry kLatin1 = latin1;

// A decoder that marks its output, to tell which load decoded an entry.
Module1::DecodeEntry tagging(std::u16string tag) {
    return [tag](std::string_view bytes) { return tag + latin1(bytes); };
}

std::map<int, std::string> storedEntries() {
    std::map<int, std::string> entries;
    for (int code = 0; code < 256; ++code) {
        if (!CharTable[code].bytes.empty()) {
            entries[code] = CharTable[code].bytes;
        }
    }
    return entries;
}

class TempDir {
public:
    TempDir() {
        std::random_device seed;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() /
                ("char_table_test_" + std::to_string(stamp) + "_" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CharTableTest : public ::testing::Test {
protected:
    void SetUp() override { CharTable = {}; }
    void TearDown() override { CharTable = {}; }
};

// ---- Parsing --------------------------------------------------------------------------------

struct ParseCase {
    const char* name;
    std::string file;
    TableLoadStatus status;
    std::map<int, std::string> entries;
};

// Test names carry the row's name; this keeps gtest from printing the row's raw bytes too.
void PrintTo(const ParseCase& row, std::ostream* out) {
    *out << row.name;
}

class ParseTableTest : public CharTableTest, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ParseTableTest, StoresExactlyTheExpectedEntries) {
    const ParseCase& row = GetParam();
    EXPECT_EQ(Module1::ParseTable(row.file, kLatin1), row.status);
    EXPECT_EQ(storedEntries(), row.entries);
    for (const auto& entry : CharTable) {
        EXPECT_EQ(entry.text, latin1(entry.bytes));
    }
}

// Whatever a file held, the dump of its table reads back as the same table, completely.
TEST_P(ParseTableTest, DumpReadsBackAsTheSameTable) {
    const ParseCase& row = GetParam();
    Module1::ParseTable(row.file, kLatin1);
    const auto before = storedEntries();
    const std::string dump = Module1::FormatTableDump();
    CharTable = {};
    EXPECT_EQ(Module1::ParseTable(dump, kLatin1),
              before.empty() ? TableLoadStatus::ReadPastEnd : TableLoadStatus::Complete);
    EXPECT_EQ(storedEntries(), before);
}

constexpr auto kComplete = TableLoadStatus::Complete;
constexpr auto kPastEnd = TableLoadStatus::ReadPastEnd;

INSTANTIATE_TEST_SUITE_P(
    AwkwardTables, ParseTableTest,
    ::testing::Values(
        ParseCase{"WellFormed", "41=A\r\n42=B\r\n", kComplete, {{0x41, "A"}, {0x42, "B"}}},
        ParseCase{"MixedCaseCodes",
                  "4a=x\r\n4B=y\r\nfF=z\r\n",
                  kComplete,
                  {{0x4A, "x"}, {0x4B, "y"}, {0xFF, "z"}}},
        ParseCase{"CaseVariantsAreOneCode", "4a=x\r\n4A=y\r\n", kComplete, {{0x4A, "y"}}},
        ParseCase{"NonHexCountsAsZero",
                  "G1=x\r\n 2=y\r\nzz=w\r\n",
                  kComplete,
                  {{0x01, "x"}, {0x02, "y"}, {0x00, "w"}}},
        ParseCase{"SameCodeReplaces", "41=long\r\n41=B\r\n", kComplete, {{0x41, "B"}}},
        ParseCase{"FourDigitCode", "8140=X\r\n", kComplete, {{0x81, "0=X"}}},
        ParseCase{"BlanksAroundEquals", "41 = A\r\n", kComplete, {{0x41, "= A"}}},
        ParseCase{"EmptyValueSwallowsNextLine",
                  "41=\r\n42=B\r\n43=C\r\n",
                  kComplete,
                  {{0x41, "\r\n42=B"}, {0x43, "C"}}},
        ParseCase{"LineWithoutEquals", "Hello\r\n", kComplete, {{14, "lo"}}},
        ParseCase{"EqualsAndLoneLfInValue",
                  "41===\n=\r\n42=B\r\n",
                  kComplete,
                  {{0x41, "==\n="}, {0x42, "B"}}},
        ParseCase{"AnyByteInValue", "00=\0\xE9\xFF\r\n"s, kComplete, {{0x00, "\0\xE9\xFF"s}}},
        ParseCase{"LastLineWithoutCrLf", "41=A\r\n42=BC", kPastEnd, {{0x41, "A"}, {0x42, "BC"}}},
        ParseCase{"LastLineEndedByCrAlone", "41=A\r\n42=B\r", kPastEnd, {{0x41, "A"}, {0x42, "B"}}},
        ParseCase{"TrailingBlankLine", "41=A\r\n\r\n", kPastEnd, {{0x41, "A"}}},
        ParseCase{"TrailingBlanks", "41=A\r\n   ", kPastEnd, {{0x41, "A"}}},
        // the third CR LF is code 0, a skipped CR and a value starting with LF
        ParseCase{
            "TwoTrailingBlankLines", "41=A\r\n\r\n\r\n", kPastEnd, {{0x41, "A"}, {0x00, "\n"}}},
        ParseCase{"LfOnlyLineEnds", "41=A\n42=B\n", kPastEnd, {{0x41, "A\n42=B\n"}}},
        ParseCase{
            "EmptyValueOnLastLine", "41=A\r\n42=\r\n", kPastEnd, {{0x41, "A"}, {0x42, "\r\n"}}},
        ParseCase{"EmptyFile", "", kPastEnd, {}},
        ParseCase{"EndInsideCode", "41=A\r\n4", kPastEnd, {{0x41, "A"}}},
        ParseCase{"EndBeforeSeparator", "41=A\r\n42", kPastEnd, {{0x41, "A"}}},
        ParseCase{"EndBeforeFirstValueByte", "41=A\r\n42=", kPastEnd, {{0x41, "A"}}},
        // a value cut by the end still replaces what the code held
        ParseCase{"PartialValueReplaces", "41=ABC\r\n41=D", kPastEnd, {{0x41, "D"}}},
        // a failed entry leaves the code as an earlier line of the same file set it
        ParseCase{"FailedEntryKeepsEarlierValue", "41=A\r\n41=", kPastEnd, {{0x41, "A"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HexToByteTest, ReadsHexDigitsAndCountsOtherBytesAsZero) {
    const std::pair<std::string, std::int32_t> rows[] = {
        {"41", 0x41},
        {"4a", 0x4A},
        {"4A", 0x4A},
        {"ff", 255},
        {"FF", 255},
        {"00", 0},
        {"G1", 1},
        {"9g", 0x90},
        {" 1", 1},
        {"\r\n", 0},
        {"=-", 0},
        {"\xE9\xC3", 0},
        {"f", 15},
        {"100", 256},
        {"", 0},
        {"7FFFFFFF", 0x7FFFFFFF},
        {"0000000000000000000000001", 1}, // weights past int32 on zero digits are harmless
        {"80000000", 0x7FFFFFFF},         // beyond int32: saturates
        {"1000000000", 0x7FFFFFFF},
    };
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(Module1::HexToByte(text), value) << '"' << text << '"';
    }
}

TEST_F(CharTableTest, SecondParseKeepsOtherCodesWithTheirDecoding) {
    ASSERT_EQ(Module1::ParseTable("41=A\r\n42=B\r\n", tagging(u"first:")), kComplete);
    ASSERT_EQ(Module1::ParseTable("42=b\r\n43=C", tagging(u"second:")), kPastEnd);
    EXPECT_EQ(CharTable[0x41].bytes, "A");
    EXPECT_EQ(CharTable[0x41].text, u"first:A");
    EXPECT_EQ(CharTable[0x42].bytes, "b");
    EXPECT_EQ(CharTable[0x42].text, u"second:b");
    EXPECT_EQ(CharTable[0x43].text, u"second:C");
}

TEST_F(CharTableTest, DecoderSeesWholeValueOnce) {
    int calls = 0;
    std::string seen;
    const Module1::DecodeEntry recording = [&](std::string_view bytes) {
        ++calls;
        seen.assign(bytes);
        return latin1(bytes);
    };
    Module1::ParseTable("41=\xC3\xA9t\xC3\xA9", recording);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, "\xC3\xA9t\xC3\xA9");
}

// ---- Loading files --------------------------------------------------------------------------

TEST_F(CharTableTest, LoadDumpsOnlyAfterACompleteParse) {
    struct Row {
        std::string file;
        TableLoadStatus status;
        std::string dump; // empty: no dump file may exist
    };
    const Row rows[] = {
        {"42=B\r\n0a=x\r\n", kComplete, "0A=x\r\n42=B\r\n"},
        {"41=A\r\n42=B", kPastEnd, ""},
        {"41=A\r\n42=B\r", kPastEnd, ""},
        {"41=A\r\n\r\n", kPastEnd, ""},
        {"", kPastEnd, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        CharTable = {};
        const TempDir dir;
        const fs::path table = dir.path() / "game.tbl";
        const fs::path dump = dir.path() / "tdf.txt";
        writeFile(table, row.file);
        int chooserCalls = 0;
        const auto choose = [&](std::string_view whole) {
            ++chooserCalls;
            EXPECT_EQ(whole, row.file);
            return kLatin1;
        };
        EXPECT_EQ(Module1::LoadTableFile(table, dump, choose), row.status);
        EXPECT_EQ(chooserCalls, 1);
        EXPECT_EQ(fs::exists(dump), !row.dump.empty());
        if (!row.dump.empty()) {
            EXPECT_EQ(readFile(dump), row.dump);
        }
    }
}

TEST_F(CharTableTest, SecondLoadKeepsTheFirstTablesOtherCodes) {
    const TempDir dir;
    writeFile(dir.path() / "first.tbl", "41=A\r\n42=B\r\n");
    writeFile(dir.path() / "second.tbl", "42=Z\r\n43=C\r\n");
    const auto choose = [](std::string_view) { return kLatin1; };
    const fs::path dump = dir.path() / "tdf.txt";
    ASSERT_EQ(Module1::LoadTableFile(dir.path() / "first.tbl", dump, choose), kComplete);
    ASSERT_EQ(Module1::LoadTableFile(dir.path() / "second.tbl", dump, choose), kComplete);
    EXPECT_EQ(storedEntries(), (std::map<int, std::string>{{0x41, "A"}, {0x42, "Z"}, {0x43, "C"}}));
    EXPECT_EQ(readFile(dump), "41=A\r\n42=Z\r\n43=C\r\n");
}

TEST_F(CharTableTest, UnreadableTableChangesNothing) {
    const TempDir dir;
    CharTable[0x41] = {"A", u"A"};
    const fs::path dump = dir.path() / "tdf.txt";
    writeFile(dump, "old");
    bool chooserCalled = false;
    const auto choose = [&](std::string_view) {
        chooserCalled = true;
        return kLatin1;
    };
    for (const fs::path& table : {dir.path() / "missing.tbl", dir.path()}) {
        EXPECT_EQ(Module1::LoadTableFile(table, dump, choose), TableLoadStatus::CannotOpen)
            << table;
    }
    EXPECT_FALSE(chooserCalled);
    EXPECT_EQ(storedEntries(), (std::map<int, std::string>{{0x41, "A"}}));
    EXPECT_EQ(readFile(dump), "old");
}

TEST_F(CharTableTest, UnwritableDumpDoesNotFailTheLoad) {
    const TempDir dir;
    writeFile(dir.path() / "a.tbl", "41=A\r\n");
    EXPECT_EQ(Module1::LoadTableFile(dir.path() / "a.tbl", dir.path() / "no" / "tdf.txt", {}),
              kComplete);
    EXPECT_TRUE(Module1::TableHolds(u"A"));
}

// ---- Dumping --------------------------------------------------------------------------------

TEST_F(CharTableTest, DumpListsEntriesInCodeOrderWithBytesUnchanged) {
    CharTable[0xFF] = {"last", u""};
    CharTable[0x0F] = {"\r\n42=B", u""}; // spreads over two lines of the dump
    CharTable[0x00] = {"\xC3\xA9"s, u""};
    CharTable[0x0A] = {"a", u""};
    CharTable[0xAB] = {" = ", u""};
    const TempDir dir;
    const fs::path dump = dir.path() / "tbl.txt";
    writeFile(dump, std::string(1000, 'x')); // replaced whole, not overwritten in place
    ASSERT_TRUE(Module1::DumpTable(dump));
    EXPECT_EQ(readFile(dump), "00=\xC3\xA9\r\n0A=a\r\n0F=\r\n42=B\r\nAB= = \r\nFF=last\r\n");
}

TEST_F(CharTableTest, EmptyTableDumpsAnEmptyFileAndBadPathsFail) {
    const TempDir dir;
    const fs::path dump = dir.path() / "tdf.txt";
    writeFile(dump, "41=A\r\n");
    ASSERT_TRUE(Module1::DumpTable(dump));
    EXPECT_EQ(readFile(dump), "");
    EXPECT_FALSE(Module1::DumpTable(dir.path() / "missing" / "tdf.txt"));
    EXPECT_FALSE(Module1::DumpTable(dir.path()));
}

// ---- Look-up of a typed character -----------------------------------------------------------

TEST_F(CharTableTest, TableHoldsOnlyWholeEntryTexts) {
    CharTable[0x41] = {"A", u"A"};
    CharTable[0x74] = {"the", u"the"};
    CharTable[0x10] = {"x", u"x"};
    CharTable[0x11] = {"x", u"x"};
    CharTable[0xFF] = {"#", u"#"};
    CharTable[0x80] = {"\xC3\xA9"s, u"\u00E9"}; // two bytes decoded to one character
    CharTable[0x81] = {"\0"s, u"\0"s};

    const std::pair<std::u16string, bool> rows[] = {
        {u"A", true},   {u"a", false}, {u"t", false},     {u"the", true},
        {u"x", true},   {u"#", true},  {u"\u00E9", true}, {u"\u00C3", false},
        {u"\0"s, true}, {u" ", false}, {u"", false},      {u"AA", false},
    };
    for (const auto& [character, held] : rows) {
        EXPECT_EQ(Module1::TableHolds(character), held)
            << "character code " << (character.empty() ? -1 : int(character[0]));
    }
}

} // namespace
