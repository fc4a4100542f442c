#include "core/csv_script.h"
#include "core/dump_script.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace script;

namespace {

std::u16string u16(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

// Headers are metadata wherever they stand; blank lines neither end an original nor add to a
// translation; the room runs to the next recorded address; #JMP's end is inclusive.
TEST(DumpReaderTest, StringsBlocksAndRooms) {
    const DumpRead read = readDump(u"//GAME NAME: x\n#VAR(a, b)\n#JMP($100,$10F)\r\n"
                                   u"//POINTER #0 @ $10 - STRING #0 @ $100\n\n  #W16($10) \n\n"
                                   u"//Hello<line>\n//World<end>\n// current address: $999\n\n"
                                   u"  Hola<line>\n\nMundo<end>\n//POINTER #1 @ $12 - STRING #1 @ "
                                   u"$10A\n#ACTIVETBL(t)\n#W16($12)\n//Bye<end>\n\n"
                                   u"// current address: $110\n#JMP(0x200)\n#WUB(x)\n//<$0A>");
    ASSERT_FALSE(read.error);
    const DumpScript& s = read.script;
    ASSERT_EQ(s.strings.size(), 3u);
    const DumpString& hello = s.strings[0];
    EXPECT_EQ(hello.line, 6u);
    EXPECT_EQ(hello.command, u"#W16($10)");
    EXPECT_EQ(hello.original, u"Hello<line>\n//World<end>");
    EXPECT_EQ(hello.translation, u"  Hola<line>\nMundo<end>");
    EXPECT_TRUE(hello.translated);
    EXPECT_EQ(hello.start, 0x100u);
    EXPECT_EQ(hello.recordedRoom, 10u);
    EXPECT_EQ(s.strings[1].original, u"Bye<end>");
    EXPECT_FALSE(s.strings[1].translated);
    EXPECT_EQ(s.strings[1].recordedRoom, 6u);
    EXPECT_EQ(s.strings[2].original, u"<$0A>");
    EXPECT_EQ(s.strings[2].block, 1u);
    EXPECT_FALSE(s.strings[2].recordedRoom);
    ASSERT_EQ(s.blocks.size(), 2u);
    EXPECT_EQ(s.blocks[0].room(), 16u);
    EXPECT_EQ(s.blocks[1].start, 0x200u);
    EXPECT_FALSE(s.blocks[1].room());
    EXPECT_EQ(s.skippedCommands, 2u);
    EXPECT_EQ(s.firstSkippedCommand, 2u);
}

TEST(DumpReaderTest, CommandsThatCannotBeReadGiveTheirLine) {
    const std::pair<std::u16string_view, std::size_t> rows[] = {{u"#W16($1)\n#JMP($10,$F)", 2},
                                                                {u"\n#JMP($10,$10)\n#W16", 3},
                                                                {u"#W16(1)\nx\n#JMP(zz)", 3},
                                                                {u"#W16(1)\n#JMP($1,)", 2}};
    for (const auto& [text, line] : rows) {
        const DumpRead read = readDump(text);
        ASSERT_TRUE(read.error) << line;
        EXPECT_EQ(read.error->line, line);
        EXPECT_TRUE(read.script.strings.empty());
    }
}

// Without pointer commands each text is cut after each of its table's end tokens.
TEST(DumpReaderTest, DumpsWithoutPointersEndAtEndTokens) {
    const EndTokens ends{{u"<end>"}, {u"<end>", u"<END>"}};
    const DumpRead read = readDump(
        u"//Block Range: $1 - $2\n//One<end>\n//Two<end>\nUno<end>Dos\n\n<END>\nTres", ends);
    ASSERT_EQ(read.script.strings.size(), 3u);
    const auto& s = read.script.strings;
    EXPECT_EQ(s[0].original + u"|" + s[0].translation, u"One<end>|Uno<end>");
    EXPECT_EQ(s[1].original + u"|" + s[1].translation, u"Two<end>|Dos\n<END>");
    EXPECT_EQ(s[2].original + u"|" + s[2].translation, u"|Tres");
    EXPECT_EQ(s[1].line, 4u);
    EXPECT_EQ(s[2].line, 7u);
}

TEST(DumpReaderTest, Addresses) {
    const std::pair<std::u16string_view, std::optional<std::uint64_t>> rows[] = {
        {u" $1a ", 26},       {u"0X1A", 26},         {u"26", 26},
        {u"$", std::nullopt}, {u"1A", std::nullopt}, {u"$10000000000000000", std::nullopt},
        {u"-1", std::nullopt}};
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(parseAddress(text), value) << text.size();
    }
}

// A simple writer lays random strings out as an extractor does; the reader gets them back.
TEST(DumpReaderTest, ReadsBackWhatTheWriterLaidOut) {
    std::mt19937 rng(19);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto words = [&](bool canBeEmpty) {
        static const char16_t* parts[] = {u"a", u"b c", u"<$0A>", u"<line>", u"é", u"#1", u"//"};
        std::u16string text;
        for (int n = pick(4) + (canBeEmpty ? 0 : 1); n > 0; --n) {
            text += parts[pick(7)];
        }
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        std::u16string dump = u"//GAME NAME: g\n";
        std::vector<DumpString> want;
        std::uint64_t address = 0x8000;
        for (int i = pick(6); i > 0; --i) {
            DumpString s;
            if (pick(4) == 0) {
                dump += u"#JMP($" + u16(std::to_string(address)) + u")\n";
            }
            s.start = address += static_cast<std::uint64_t>(pick(40) + 1);
            dump += u"//POINTER #0 @ $0 - STRING #0 @ " + u16(std::to_string(*s.start)) + u"\n";
            s.command = u"#W16($" + u16(std::to_string(i)) + u")";
            dump += (pick(2) ? u"  " : u"") + s.command + (pick(2) ? u"\n\n" : u"\n");
            for (int line = pick(3) + 1; line > 0; --line) {
                const std::u16string text = words(false);
                s.original += (s.original.empty() ? text : u"\n//" + text);
                dump += u"//" + text + u"\n";
            }
            for (int line = pick(3); line > 0; --line) {
                const std::u16string text = u"t" + words(true);
                s.translation += (s.translation.empty() ? text : u"\n" + text);
                dump += text + (pick(3) ? u"\n" : u"\n \n");
            }
            dump += s.translation.empty() ? u"\n" : u"\n// comment after\n";
            want.push_back(s);
        }
        const DumpRead read = readDump(dump);
        ASSERT_FALSE(read.error) << read.error->message;
        ASSERT_EQ(read.script.strings.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            const DumpString& got = read.script.strings[i];
            EXPECT_EQ(got.original, want[i].original);
            EXPECT_EQ(got.translation, want[i].translation);
            EXPECT_EQ(got.translated, !want[i].translation.empty());
            EXPECT_EQ(got.command, want[i].command);
            EXPECT_EQ(got.start, want[i].start);
            EXPECT_EQ(got.recordedRoom, i + 1 < want.size()
                                            ? std::optional(*want[i + 1].start - *want[i].start)
                                            : std::nullopt);
        }
    }
}

TEST(CsvReaderTest, QuotedFieldsColumnsAndMissingCells) {
    const CsvRead quoted = readCsv("\xEF\xBB\xBFId,Original,Translation,Limit\r\n"
                                   "1,\"a,b\",\"say \"\"hi\"\"\",\r\n\r\n"
                                   "2,\"two\r\nlines\",\"x\ny\",7\n3, c ,,");
    ASSERT_FALSE(quoted.error) << quoted.error->message;
    ASSERT_EQ(quoted.rows.size(), 3u);
    EXPECT_EQ(quoted.rows[0].original, "a,b");
    EXPECT_EQ(quoted.rows[0].translation, "say \"hi\"");
    EXPECT_EQ(quoted.rows[1].original, "two\nlines");
    EXPECT_EQ(quoted.rows[1].translation, "x\ny");
    EXPECT_EQ(quoted.rows[1].limit, 7u);
    EXPECT_EQ(quoted.rows[1].line, 4u);
    EXPECT_EQ(quoted.rows[2].line, 7u);
    EXPECT_EQ(quoted.rows[2].record, 3u);
    EXPECT_EQ(quoted.rows[2].original, " c ");
    EXPECT_FALSE(quoted.rows[2].limit);

    const CsvRead numbered = readCsv("a,b,c\nx,y,3\n", CsvColumns{"2", "A", "3"});
    ASSERT_EQ(numbered.rows.size(), 1u);
    EXPECT_EQ(numbered.rows[0].original + numbered.rows[0].translation, "yx");
    EXPECT_EQ(numbered.rows[0].limit, 3u);

    const std::pair<std::string_view, std::size_t> broken[] = {
        {"original,translation\nok,ok\n\"a\nb\"\n", 3}, // no translation column
        {"original,translation,limit\na,b,c\n", 2},     // a limit that is no number
        {"original,translation,limit\na,b\n", 2},       // no limit column
        {"original,text\na,b\n", 1},
        {"", 1}};
    for (const auto& [text, line] : broken) {
        const CsvRead read = readCsv(text);
        ASSERT_TRUE(read.error) << text;
        EXPECT_EQ(read.error->line, line) << text;
        EXPECT_TRUE(read.rows.empty());
    }
}

} // namespace

// Labels holding "\n" match across comment lines in originals and at line ends in
// translations; the file's own line ends cost nothing; "<$XX>" is one byte.
TEST(DumpTableTest, LabelsLineEndsAndRawBytes) {
    std::set<std::u16string> raw;
    collectRawBytes(u"<$0a><$0A><$G0><$1>x<$ff", raw);
    EXPECT_EQ(raw, (std::set<std::u16string>{u"<$0A>", u"<$0a>"}));
    const auto table = encoding::TableEncoding::build(dumpTableEntries(
        encoding::TableEncoding::read("61=a\n62=b\n8081=<line>\\n//\n/FF=<end>\\n\\n\n*FE=<br>\n")
            .entries(),
        raw));
    const std::pair<std::u16string_view, std::size_t> rows[] = {{u"a<line>\n//b<end>\n", 5},
                                                                {u"a<line>\nb<end>\n", 5},
                                                                {u"a\n\nb<br>\n", 3},
                                                                {u"<line>", 0},
                                                                {u"<$0a><$0A>a", 3}};
    for (const auto& [text, bytes] : rows) {
        const encoding::TextCost cost = table.encode(text);
        EXPECT_EQ(cost.greedy.bytes, bytes) << bytes;
        EXPECT_EQ(cost.optimal.bytes, bytes) << bytes;
        EXPECT_EQ(cost.greedy.uncovered, text == u"<line>" ? 6u : 0u) << bytes;
    }
}
