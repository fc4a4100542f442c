#include "core/csv_script.h"
#include "core/dump_script.h"
#include "core/screen_widths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>
#include <utility>

using namespace script;

namespace {

const auto u16 = [](const std::string& s) { return std::u16string(s.begin(), s.end()); };

// A read on one line: each string "line command [original|translation] @start+room #block",
// each block "block line @start+room", the commands skipped; an error's line first.
std::u16string describe(const DumpRead& read) {
    const auto number = [](const char* mark, auto value) {
        const std::optional some = value; // a value, or an optional one
        return some ? u16(mark + std::to_string(*some)) : std::u16string();
    };
    std::u16string out = read.error ? number("error at ", read.error->line) + u"; " : u"";
    for (const DumpString& s : read.script.strings) {
        out += number("", s.line) + u" " + s.command;
        for (std::size_t p = 1; p < s.pointers.size(); ++p) {
            out += number(" +", s.pointers[p]);
        }
        out += u" [" + s.original + (s.translated ? u"|" + s.translation : u"") + u"]" +
               number(" @", s.start) + number("+", s.recordedRoom) + number(" #", s.block) + u"; ";
    }
    for (const DumpBlock& b : read.script.blocks) {
        out += number("block ", b.line) + number(" @", b.start) + number("+", b.room()) + u"; ";
    }
    return out + number("skipped ", read.script.skippedCommands) +
           number(" from ", read.script.firstSkippedCommand);
}

// Headers are metadata wherever they stand; blank lines neither end an original nor add to a
// translation; the room runs to the next recorded address; #JMP's end is inclusive. Without
// pointer commands each text is cut after each of its table's end tokens.
TEST(DumpReaderTest, StringsBlocksRoomsAndErrors) {
    const std::tuple<std::u16string_view, EndTokens, std::u16string_view> rows[] = {
        {u"//GAME NAME: x\n#VAR(a, b)\n#JMP($100,$10F)\r\n//POINTER #0 @ $10 - STRING #0 @ $100\n"
         u"\n  #W16($10) \n\n//Hello<line>\n//World<end>\n// current address: $999\n\n  Hola<line>"
         u"\n\nMundo<end>\n//POINTER #1 @ $12 - STRING #1 @ $10A (13 bytes)\n#ACTIVETBL(t)\n"
         u"#W16($12)\n//Bye<end>\n\n// current address: $110\n#JMP(0x200)\n#WUB(x)\n//<$0A>",
         {},
         u"6 #W16($10) [Hello<line>\n//World<end>|  Hola<line>\nMundo<end>] @256+10 #0; "
         u"17 #W16($12) [Bye<end>] @266+6 #0; 22 #WUB(x) [<$0A>] #1; block 3 @256+16; "
         u"block 21 @512; skipped 2 from 2"},
        {u"//Block Range: $1 - $2\n#JMP(0X10)\n//One<end>\n//Two<end>\nUno<end>Dos\n\n<END>\nTres"
         u"\n//Four<end>Five",
         {{u"<end>"}, {u"<end>", u"<END>"}},
         u"5  [One<end>|Uno<end>] #0; 5  [Two<end>|Dos\n<END>] #0; 8  [Four<end>|Tres] #0; "
         u"9  [Five] #0; block 2 @16; skipped 0"},
        {u"#W16($1)\n//POINTER #1 @ $2 - STRING #1 @ $10\n\n#W16($2)\n//a\nb\n#W16($3)\n#X16(x)"
         u"\n#W16($4)\n//c\n#W16($5)\n//POINTER #1 @ $2 - STRING #1 @ $18",
         {},
         u"1 #W16($1) +4 [a|b] @16; 7 #W16($3) []; 9 #W16($4) [c]; 11 #W16($5) []; skipped 1 from "
         u"8"},
        {u"//x\n\n//One\nUno<end>\n//Two<end>\nDos\n//POINTER #1\nDue<end>\n//Three\nTre<end>Four",
         {{u"<end>"}, {u"<end>"}},
         u"4  [x\n//One|Uno<end>]; 6  [Two<end>|Dos\nDue<end>]; 10  [Three|Tre<end>]; 10  [|Four]; "
         u"skipped 0"},
        {u"\n#JMP($10,$10)\n#W16", {}, u"error at 3; skipped 0"},
        {u"#W16(1)\nx\n#JMP(1é)", {}, u"error at 3; skipped 0"},
        {u"#W16(1)\n#JMP($1,)", {}, u"error at 2; skipped 0"},
        {u"#W16($1", {}, u"error at 1; skipped 0"},
        {u"#W16 $1)", {}, u"error at 1; skipped 0"},
        {u"#W16(1)\n#JMP($10000000000000000)", {}, u"error at 2; skipped 0"}};
    for (const auto& [text, ends, want] : rows) {
        EXPECT_EQ(describe(readDump(text, ends)), want);
    }
}

// A simple writer lays random strings out as an extractor does; the reader gets them back.
TEST(DumpReaderTest, ReadsBackWhatTheWriterLaidOut) {
    std::mt19937 rng(19);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char16_t* parts[] = {u"a", u"b c", u"<$0A>", u"<line>", u"é", u"#1", u"//"};
    const auto words = [&] { return std::u16string(parts[pick(7)]) + parts[pick(7)]; };
    for (int round = 0; round < 300; ++round) {
        std::u16string dump = u"//GAME NAME: g\n";
        DumpRead expected;
        auto& [strings, blocks, skipped, firstSkipped] = expected.script;
        const auto nextLine = [&] { return std::size_t(std::ranges::count(dump, u'\n')) + 1; };
        std::uint64_t address = 0x8000;
        for (int i = pick(6); i > 0; --i) {
            if (pick(4) == 0) {
                blocks.push_back(DumpBlock{nextLine(), address, {}});
                dump += u"#JMP(" + u16(std::to_string(address)) + u")\n";
            }
            address += static_cast<std::uint64_t>(pick(40) + 1);
            dump += u"//POINTER #0 @ $0 - STRING #0 @ " + u16(std::to_string(address)) + u"\n";
            if (!strings.empty()) {
                strings.back().recordedRoom = address - *strings.back().start;
            }
            DumpString& s = strings.emplace_back();
            std::tie(s.line, s.command, s.start) =
                std::tuple(nextLine(), u"#W16($" + u16(std::to_string(i)) + u")", address);
            s.block = blocks.empty() ? std::nullopt : std::optional(blocks.size() - 1);
            dump += (pick(2) ? u"  " : u"") + s.command + (pick(2) ? u"\n\n" : u"\n");
            for (int line = pick(3) + 1; line > 0; --line) {
                s.original += (s.original.empty() ? u"" : u"\n//") + words();
            }
            dump += u"//" + s.original + u"\n";
            for (int line = pick(3); line > 0; --line) {
                const std::u16string text = u"t" + words();
                s.translation += (s.translation.empty() ? text : u"\n" + text);
                dump += text + (pick(3) ? u"\n" : u"\n \n");
            }
            s.translated = !s.translation.empty();
            dump += s.translated ? u"\n// comment after\n" : u"\n";
        }
        EXPECT_EQ(describe(readDump(dump)), describe(expected));
    }
}

// "record/line [original|translation] limit or -; ...", an error's line first.
std::string describe(const CsvRead& read) {
    std::string out = read.error ? "error at " + std::to_string(read.error->line) + "; " : "";
    for (const CsvRow& row : read.rows) {
        out += std::to_string(row.record) + "/" + std::to_string(row.line) + " [" + row.original +
               "|" + row.translation + "] " + (row.limit ? std::to_string(*row.limit) : "-") + "; ";
    }
    return out;
}

// Quoted fields (one opening with a line end), a quote inside an unquoted field, columns by
// name in any case; then no translation column, a limit that is no number, no limit column,
// no header; the separator the header shows.
TEST(CsvReaderTest, QuotedFieldsColumnsAndMissingCells) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"\xEF\xBB\xBFId,ORIGINAL,Translation,Limit\r\n1,\"a,b\",\"say \"\"hi\"\"\",\r\n\r\n"
         "2,\"\r\ntwo\r\nlines\",\"x\ny\",7\n3, c\"d ,,",
         "1/2 [a,b|say \"hi\"] -; 2/4 [\ntwo\nlines|x\ny] 7; 3/8 [ c\"d |] -; "},
        {"original,translation\nok,ok\n\"a\nb\"\n", "error at 3; "},
        {"\xEF\xBB\xBForiginal,translation,limit\na,b,c", "error at 2; "},
        {"original,translation,limit\na,b\n", "error at 2; "},
        {"original,text\na,b\n", "error at 1; "},
        {"id;original;translation\n1;\"a,b;c\";x\n", "1/2 [a,b;c|x] -; "},      // as spreadsheets
        {"Original\tTranslation\tlimit\n\"a\tb\"\t,\t3\n", "1/2 [a\tb|,] 3; "}, // write them
        {"original;translation,limit\na;b,1\n", "error at 1; "},
        {"", "error at 1; "}};
    for (const auto& [text, want] : rows) {
        EXPECT_EQ(describe(readCsv(text)), want) << text;
    }
    // Columns by number count from 1, up to the header's last.
    const std::pair<CsvColumns, std::string_view> numbered[] = {
        {{"2", "z", "3", {}}, "1/2 [y|y] 9; "},
        {{"1", "3", "", {}}, "1/2 [x|9] -; "},
        {{"0", "2", "", {}}, "error at 1; no column 0: columns count from 1"},
        {{"1", "2", "4", {}}, "error at 1; no column 4: the header has 3 columns"}};
    for (const auto& [columns, want] : numbered) {
        const CsvRead read = readCsv("a,Z,c\nx,y,9\n", columns);
        EXPECT_EQ(describe(read) + (read.error ? read.error->message : ""), want);
    }
    EXPECT_EQ(describe(readCsv("original;translation,x\na;b,c\n", {"1", "2", "", ','})),
              "1/2 [a;b|c] -; "); // the separator given, not the header's
}
} // namespace

// Labels holding "\n" match across comment lines in originals and at line ends in
// translations; the file's own line ends cost nothing; "<$XX>" is one byte; a line break's
// label cut at its line end still breaks the line on screen.
TEST(DumpTableTest, LabelsLineEndsAndRawBytes) {
    std::set<std::u16string> raw;
    collectRawBytes(u"<$0a><$0A><$G0><$1>x<$80><$81>", raw); // the last one at the very end
    collectRawBytes(u"<$ff", raw);
    EXPECT_EQ(raw, (std::set<std::u16string>{u"<$0A>", u"<$0a>", u"<$80>", u"<$81>"}));
    const auto tbl = "61=a\n62=b\n63=\\n\\nc\n8081=<line>\\n//\n/FF=<end>\\n\\n\n*FE=<br>\\n//\n";
    auto entries = encoding::TableEncoding::read(tbl).entries(); // and a label of one character
    entries.push_back({"\xFC", u"\n", encoding::EntryKind::LineBreak, u"|\n//", 0});
    const auto table = encoding::TableEncoding::build(dumpTableEntries(entries, raw));
    const screen::ScreenMeasure screen(table, screen::WidthFile::read("@line=20\n@default=5").file);
    std::string got; // greedy bytes, optimal bytes, uncovered characters, misread or not, widths
    for (const std::u16string_view text :
         {u"a<line>\n//b<end>\n", u"a<line>\nb<end>\n", u"a\n\nc<br>\n", u"<line>", u"<$0a><$0A>a",
          u"<$80><$81>", u"a<br>\nb<end>\n", u"a|\n//b|\nb\n"}) {
        const encoding::TextCost cost = table.encode(text);
        got += std::to_string(cost.greedy.bytes) + "/" + std::to_string(cost.optimal.bytes) + "/" +
               std::to_string(cost.greedy.uncovered) + (cost.misread ? "m" : "");
        const char* before = " ";
        for (const screen::LineWidth& line : screen.measure(text).lines) {
            got += before + std::to_string(line.width);
            before = ",";
        }
        got += "; ";
    }
    EXPECT_EQ(got, "5/5/0 55; 5/5/0 45; 3/3/0 20,0; 0/0/6 30; 3/3/0 55; 2/2/0m 50; 4/4/0 5,5; "
                   "5/5/0 5,5,5; ");
}
