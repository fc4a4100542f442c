#include "core/csv_script.h"
#include "core/dump_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

using namespace script;

namespace {

std::u16string u16(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

// "line command [original|translation] @start+room #block", the absent parts left out.
std::u16string describe(const DumpString& s) {
    const auto number = [](const char* mark, auto value) {
        return value ? u16(mark + std::to_string(*value)) : std::u16string();
    };
    return u16(std::to_string(s.line)) + u" " + s.command + u" [" + s.original +
           (s.translated ? u"|" + s.translation : u"") + u"]" + number(" @", s.start) +
           number("+", s.recordedRoom) + number(" #", s.block);
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
    EXPECT_EQ(describe(s.strings[0]),
              u"6 #W16($10) [Hello<line>\n//World<end>|  Hola<line>\nMundo<end>] @256+10 #0");
    EXPECT_EQ(describe(s.strings[1]), u"17 #W16($12) [Bye<end>] @266+6 #0");
    EXPECT_EQ(describe(s.strings[2]), u"22 #WUB(x) [<$0A>] #1");
    ASSERT_EQ(s.blocks.size(), 2u);
    EXPECT_EQ(std::tuple(s.blocks[0].room(), s.blocks[1].start, s.blocks[1].room()),
              std::tuple(std::optional<std::uint64_t>(16), std::uint64_t{0x200},
                         std::optional<std::uint64_t>()));
    EXPECT_EQ(std::pair(s.skippedCommands, s.firstSkippedCommand),
              std::pair(std::size_t{2}, std::optional<std::size_t>(2)));
}

TEST(DumpReaderTest, CommandsThatCannotBeReadGiveTheirLine) {
    const std::pair<std::u16string_view, std::size_t> rows[] = {
        {u"#W16($1)\n#JMP($10,$F)", 2},
        {u"\n#JMP($10,$10)\n#W16", 3},
        {u"#W16(1)\nx\n#JMP(zz)", 3},
        {u"#W16(1)\n#JMP($1,)", 2},
        {u"#W16(1)\n#JMP($10000000000000000)", 2}};
    for (const auto& [text, line] : rows) {
        const DumpRead read = readDump(text);
        EXPECT_EQ(read.error.value_or(DumpError{}).line, line);
        EXPECT_TRUE(read.script.strings.empty());
    }
}

// Without pointer commands each text is cut after each of its table's end tokens.
TEST(DumpReaderTest, DumpsWithoutPointersEndAtEndTokens) {
    const DumpRead read =
        readDump(u"//Block Range: $1 - $2\n//One<end>\n//Two<end>\nUno<end>Dos\n\n<END>\nTres",
                 EndTokens{{u"<end>"}, {u"<end>", u"<END>"}});
    ASSERT_EQ(read.script.strings.size(), 3u);
    EXPECT_EQ(describe(read.script.strings[0]), u"4  [One<end>|Uno<end>]");
    EXPECT_EQ(describe(read.script.strings[1]), u"4  [Two<end>|Dos\n<END>]");
    EXPECT_EQ(describe(read.script.strings[2]), u"7  [|Tres]");
}

// A simple writer lays random strings out as an extractor does; the reader gets them back.
TEST(DumpReaderTest, ReadsBackWhatTheWriterLaidOut) {
    std::mt19937 rng(19);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char16_t* parts[] = {u"a", u"b c", u"<$0A>", u"<line>", u"é", u"#1", u"//"};
    const auto words = [&] { return std::u16string(parts[pick(7)]) + parts[pick(7)]; };
    for (int round = 0; round < 300; ++round) {
        std::u16string dump = u"//GAME NAME: g\n";
        std::vector<DumpString> want;
        std::uint64_t address = 0x8000;
        std::optional<std::size_t> block;
        for (int i = pick(6); i > 0; --i) {
            DumpString s;
            if (pick(4) == 0) {
                dump += u"#JMP($" + u16(std::to_string(address)) + u")\n";
                block = block.value_or(-1) + 1;
            }
            s.block = block;
            s.start = address += static_cast<std::uint64_t>(pick(40) + 1);
            dump += u"//POINTER #0 @ $0 - STRING #0 @ " + u16(std::to_string(*s.start)) + u"\n";
            s.line = static_cast<std::size_t>(std::count(dump.begin(), dump.end(), u'\n')) + 1;
            s.command = u"#W16($" + u16(std::to_string(i)) + u")";
            dump += (pick(2) ? u"  " : u"") + s.command + (pick(2) ? u"\n\n" : u"\n");
            for (int line = pick(3) + 1; line > 0; --line) {
                const std::u16string text = words();
                s.original += (s.original.empty() ? text : u"\n//" + text);
                dump += u"//" + text + u"\n";
            }
            for (int line = pick(3); line > 0; --line) {
                const std::u16string text = u"t" + words();
                s.translation += (s.translation.empty() ? text : u"\n" + text);
                dump += text + (pick(3) ? u"\n" : u"\n \n");
            }
            s.translated = !s.translation.empty();
            dump += s.translated ? u"\n// comment after\n" : u"\n";
            if (!want.empty()) {
                want.back().recordedRoom = *s.start - *want.back().start;
            }
            want.push_back(s);
        }
        const DumpRead read = readDump(dump);
        ASSERT_FALSE(read.error) << read.error->message;
        ASSERT_EQ(read.script.strings.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(describe(read.script.strings[i]), describe(want[i]));
        }
    }
}

// "record/line [original|translation] limit"
std::string describe(const CsvRow& row) {
    return std::to_string(row.record) + "/" + std::to_string(row.line) + " [" + row.original + "|" +
           row.translation + "]" + (row.limit ? " " + std::to_string(*row.limit) : "");
}

TEST(CsvReaderTest, QuotedFieldsColumnsAndMissingCells) {
    const CsvRead quoted = readCsv("\xEF\xBB\xBFId,Original,Translation,Limit\r\n"
                                   "1,\"a,b\",\"say \"\"hi\"\"\",\r\n\r\n"
                                   "2,\"two\r\nlines\",\"x\ny\",7\n3, c ,,");
    ASSERT_EQ(quoted.rows.size(), 3u);
    EXPECT_EQ(describe(quoted.rows[0]), "1/2 [a,b|say \"hi\"]");
    EXPECT_EQ(describe(quoted.rows[1]), "2/4 [two\nlines|x\ny] 7");
    EXPECT_EQ(describe(quoted.rows[2]), "3/7 [ c |]");
    const CsvRead numbered = readCsv("a,b,c\nx,y,3\n", CsvColumns{"2", "A", "3"});
    ASSERT_EQ(numbered.rows.size(), 1u);
    EXPECT_EQ(describe(numbered.rows[0]), "1/2 [y|x] 3");

    // No translation column, a limit that is no number, no limit column, no header.
    const std::pair<std::string_view, std::size_t> broken[] = {
        {"original,translation\nok,ok\n\"a\nb\"\n", 3},
        {"original,translation,limit\na,b,c", 2},
        {"original,translation,limit\na,b\n", 2},
        {"original,text\na,b\n", 1},
        {"", 1}};
    for (const auto& [text, line] : broken) {
        const CsvRead read = readCsv(text);
        EXPECT_EQ(read.error.value_or(CsvError{}).line, line) << text;
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
        EXPECT_EQ(cost.greedy.bytes + cost.optimal.bytes, 2 * bytes) << bytes;
        EXPECT_EQ(cost.greedy.uncovered, text == u"<line>" ? 6u : 0u) << bytes;
    }
}
