#include "core/char_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

namespace {

using namespace std::string_literals;
using Status = CharTable::LoadStatus;
constexpr auto kComplete = Status::Complete;
constexpr auto kPastEnd = Status::ReadPastEnd;
const auto latin1 = bytetext::widen;

TEST(CharTableTest, ParseCountsBytesAndHoldsWholeTexts) {
    // file, the parse's result, the entries stored
    // clang-format off
    const std::tuple<std::string, Status, std::map<int, std::string>> rows[] = {
        {"4a=long\r\nfF=z\r\nG1=w\r\n4A=B\r\n", kComplete, {{0x4A, "B"}, {0xFF, "z"}, {0x01, "w"}}},
        {"8140=X\r\n00=\0\xE9\xFF\r\n"s, kComplete, {{0x81, "0=X"}, {0x00, "\0\xE9\xFF"s}}}, // one byte skipped
        {"41=\r\n42=B\r\n43=C\r\n", kComplete, {{0x41, "\r\n42=B"}, {0x43, "C"}}}, // CR as first value byte
        {"41=A\n42=B\n", kPastEnd, {{0x41, "A\n42=B\n"}}},
        {"", kPastEnd, {}},
        {"41=A\r\n\r\n", kPastEnd, {{0x41, "A"}}},
        {"41=A\r\n42=B\r", kPastEnd, {{0x41, "A"}, {0x42, "B"}}},
        {"41=ABC\r\n41=D", kPastEnd, {{0x41, "D"}}}, // a value cut by the end replaces
        {"41=A\r\n41=", kPastEnd, {{0x41, "A"}}}};   // an entry without a value byte does not
    // clang-format on
    for (const auto& [file, status, entries] : rows) {
        SCOPED_TRACE(::testing::PrintToString(file));
        CharTable table;
        EXPECT_EQ(table.parse(file, latin1), status);
        for (int code = 0; code < 256; ++code) { // every code without an entry has none
            EXPECT_EQ(table.entry(code).bytes, entries.contains(code) ? entries.at(code) : "");
        }
        EXPECT_FALSE(table.holds(u"") || table.holds(u"long")); // a replaced text is gone
        for (const auto& [code, bytes] : entries) {             // whole texts only
            EXPECT_TRUE(table.holds(latin1(bytes)) && !table.holds(latin1(bytes + "~")) &&
                        !table.holds(latin1(bytes).substr(1)));
        }
    }
}

TEST(CharTableTest, HexToByteReadsHexDigitsCountsOtherBytesAsZeroAndSaturates) {
    // clang-format off
    const std::pair<std::string, std::int32_t> rows[] = {
        {"aB", 0xAB}, {"fF", 0xFF}, {"09", 9}, {"G1", 1}, {"9g", 0x90}, {"/:@`", 0}, {"\xE9\xC3", 0},
        {"", 0}, {"100", 256}, {"7FFFFFFF", 0x7FFFFFFF}, {"80000000", 0x7FFFFFFF},
        {"1000000000", 0x7FFFFFFF}, {"0000000000000000000000001", 1}};
    // clang-format on
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(CharTable::hexToByte(text), value) << ::testing::PrintToString(text);
    }
}

// A parse keeps the entries of earlier ones; the dump text lists them all in code order. The
// decoder here marks the texts it decodes.
TEST(CharTableTest, LaterParsesKeepEarlierEntriesAndTheDumpTextListsThemAll) {
    const auto marked = [](std::string_view bytes) { return latin1("~" + std::string(bytes)); };
    CharTable table;
    EXPECT_EQ(table.formatDump(), "");
    // the table file, the dump text after its parse
    const std::pair<std::string, std::string> rows[] = {
        {"42=\xC3\xA9\r\n0a=x\r\n", "0A=x\r\n42=\xC3\xA9\r\n"},
        {"41=A\r\n42=B", "0A=x\r\n41=A\r\n42=B\r\n"},
        {"42=Z\r\nfe=C\r\n", "0A=x\r\n41=A\r\n42=Z\r\nFE=C\r\n"}};
    for (const auto& [bytes, dump] : rows) {
        table.parse(bytes, marked);
        EXPECT_EQ(table.formatDump(), dump);
    }
    EXPECT_EQ(table.entry(0x0A).text, u"~x");
}

} // namespace
