#include "storage/char_sets.h"
#include "storage/state_files.h"
#include "storage/table_dump.h"
#include "storage/text_encoding.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <random>
#include <tuple>

#include <csignal>
#include <sys/resource.h>

namespace {

using namespace Qt::StringLiterals;
using Twips = std::array<int, storage::positionLineCount>;
constexpr auto none = std::nullopt;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The whole file is strict UTF-8 or else Windows-1252 (undefined bytes give the C1 control
// of the same number); a byte order mark is dropped at the start of the file only.
TEST(StorageTest, StateFilesSplitIntoLinesAndSaveAsUtf8WithCrLf) {
    // clang-format off
    const std::pair<QByteArray, QStringList> rows[] = {
        {"", {}}, {"a\r\nb\r\n", {u"a"_s, u"b"_s}}, {"a\nb", {u"a"_s, u"b"_s}},
        {"\r\n\r\n", {u""_s, u""_s}}, {"a\r", {u"a"_s}}, {"a\rb\r\r\n", {u"a\rb\r"_s}},
        {"\xE6\x97\xA5\xF4\x8F\xBF\xBF\xDF\xBF", {u"日\U0010FFFF\u07FF"_s}}, {"\xEF\xBB\xBF" "a\n\xEF\xBB\xBF" "b", {u"a"_s, u"\uFEFFb"_s}},
        {"\xC3\xA9\n\x80\x81\x9F\xA0\xFF", {u"Ã©"_s, u"€\u0081Ÿ\u00A0ÿ"_s}}};
    // clang-format on
    for (const auto& [bytes, lines] : rows) {
        EXPECT_EQ(storage::decodeStateLines(bytes), lines) << bytes.toPercentEncoding().constData();
    }
    // Not UTF-8: overlong, surrogate, past U+10FFFF, cut, bad continuation, BOM before a bad byte.
    for (const QByteArray b :
         {"\xC0\xAE", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
          "\xF5\x80\x80\x80", "\xE2\x82", "\xE2\x82\xC0", "\xF0\x90\x80\x41", "\xEF\xBB\xBF\xE9"}) {
        EXPECT_EQ(storage::decodeStateLines(b).value(0), storage::decodeWindows1252(b)) << b.data();
    }
    EXPECT_EQ(storage::encodeStateLines({u"Città"_s, {}, u"\uFEFF"_s}),
              "Citt\xC3\xA0\r\n\r\n\xEF\xBB\xBF\r\n"_ba);
}

// Against Qt's own decoders, entry by entry, on random tables: the whole file decides between
// UTF-8, Shift-JIS (not for typing) and Windows-1252.
TEST(StorageTest, TableEntriesAreDecodedAsTheWholeFileDecides) {
    const auto decode = [](const char* charset, std::string_view bytes) {
        QStringDecoder decoder(charset, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        return std::pair(text.toStdU16String(), !decoder.hasError());
    };
    const std::string pieces[] = {"A",        "=",    "#",        "\x93\xFA", "\xB1", "\xE9",
                                  "\xC3\xA9", "\x80", "\x82\xA0", "\x81",     "\xC3", "\r"};
    const std::string heads[] = {"41=", "#", "8140=", "*", ""};
    std::mt19937 random(20);
    for (int round = 0; round < 3000; ++round) {
        std::string file;
        std::vector<std::string> texts(std::begin(pieces), std::end(pieces));
        for (int n = int(random() % 4); n >= 0; --n) {
            std::string line;
            for (int piece = int(random() % 3); piece >= 0; --piece) {
                line += pieces[random() % std::size(pieces)];
            }
            line.insert(0, heads[random() % std::size(heads)]);
            file += line + (random() % 2 ? "\r\n" : "\n");
            if (!line.starts_with('#') && line.find('=') != std::string::npos) {
                texts.push_back(line.substr(line.find('=') + 1));
            }
        }
        const auto [whole, shiftJis] = decode("Shift_JIS", file);
        const bool valid = decode("UTF-8", file).second;
        const bool utf8 =
            valid && std::any_of(file.begin(), file.end(), [](char c) { return c & 0x80; });
        const auto chosen = storage::tableDecoding(file, none);
        using enum storage::InputCharSet;
        ASSERT_EQ(chosen.charSet, valid                                    ? Utf8
                                  : shiftJis && whole.size() < file.size() ? ShiftJis
                                                                           : Windows1252)
            << file;
        for (const std::string& text : texts) {
            const auto [asUtf8, validText] = decode("UTF-8", text);
            const std::u16string w1252 = decode("windows-1252", text).first;
            ASSERT_EQ(storage::typingTableDecoder(file)(text), utf8 && validText ? asUtf8 : w1252)
                << file;
            ASSERT_EQ(chosen.decode(text), chosen.charSet == ShiftJis
                                               ? decode("Shift_JIS", text).first
                                           : chosen.charSet == Utf8 && validText ? asUtf8
                                                                                 : w1252)
                << file;
        }
    }
}

// One rule for every file: a byte order mark's set (the mark dropped), else valid UTF-8 whatever
// is named (but with a NUL byte when a set is named), else the named set, else Shift-JIS when
// the whole file is clean Shift-JIS with a two-byte character, else Windows-1252. Names go
// through Qt's ICU-backed converters. Each text written back in its set reads the same again.
TEST(StorageTest, CharSetsByNameAndTheChoiceOfDecoding) {
    const auto sjis = storage::NamedCharSet::find(u" sjis "_s);
    const auto utf16 = storage::NamedCharSet::find(u"UTF-16"_s);
    ASSERT_TRUE(sjis && !storage::NamedCharSet::find({}) && sjis->name() == "Shift_JIS");
    using enum storage::InputCharSet;
    // file, the set named, the set chosen, the text
    const std::tuple<QByteArray, std::optional<storage::NamedCharSet>, storage::InputCharSet,
                     QString>
        rows[] = {{"41=A\r\n", none, Utf8, u"41=A\r\n"_s},
                  {"\xEF\xBB\xBF#\xC3\xA9", sjis, Utf8, u"#é"_s},
                  {"82A0=\x82\xA0\r\n41=\xB1\\", none, ShiftJis, u"82A0=あ\r\n41=ｱ\\"_s},
                  {"82A0=\x82\xA0", sjis, Named, u"82A0=あ"_s},
                  {"B1=\xB1\r\n", none, Windows1252, u"B1=±\r\n"_s}, // one-byte characters only
                  {"\xEF\xBB\xBF\x82\xA0", sjis, Utf8, u"\uFFFD\uFFFD"_s},
                  {"\xFF\xFE\x42\x30\r\0\n\0"_ba, sjis, Utf16LE, u"あ\r\n"_s},
                  {"\xFE\xFF\x30\x42\0\xE9"_ba, none, Utf16BE, u"あé"_s},
                  {"\x42\x30\xE9\0"_ba, utf16, Named, u"あé"_s},
                  {"\x42\x30\n\0"_ba, utf16, Named, u"あ\n"_s}, // valid UTF-8, but a NUL
                  {"A\0"_ba, none, Utf8, u"A\0"_s}};
    for (const auto& [bytes, named, charSet, text] : rows) {
        const storage::DecodedInput input = storage::decodeInput(bytes, named);
        EXPECT_EQ(std::tuple(storage::chooseCharSet(bytes, named), input.charSet, input.text),
                  std::tuple(charSet, charSet, text))
            << bytes.toPercentEncoding().constData();
        const QByteArray again = storage::encodeAs(text, charSet, named, input.bom);
        EXPECT_EQ(storage::decodeInput(again, named).text, text)
            << bytes.toPercentEncoding().constData();
    }
    // A character the set lacks (a lone surrogate too) is written as one '?' in every set.
    EXPECT_EQ(std::pair(storage::encodeAs(u"aあ😀\xD83D"_s, Windows1252, none, false),
                        storage::encodeAs(u"\u00E9a😀\xD83D"_s, ShiftJis, none, false)),
              std::pair("a???"_ba, "?a??"_ba));
}

// A missing line and a file that is not UTF-8 are problems naming it. A save drops line breaks;
// below a regular file or onto a folder it fails, even as root, returning why, logging nothing.
// A table's dump replaces a longer file whole, and fails where a save fails.
TEST(StorageTest, TextFileHoldsTwoLinesAndIsReplacedInOneStep) {
    // file (none: no file), its texts, problems
    const std::tuple<std::optional<QByteArray>, std::optional<QString>, std::optional<QString>, int>
        rows[] = {{none, none, none, 0},
                  {"Ciao", u"Ciao"_s, none, 1},
                  {"\r\n\r\n", u""_s, u""_s, 0},
                  {"  a \r\n\tb \n\xE6\x97\xA5\r\n", u"  a "_s, u"\tb "_s, 0},
                  {"caf\xE9\r\n\x80", u"café"_s, u"€"_s, 1}};
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a/test"_s);
    for (const auto& [bytes, orig, trans, problems] : rows) {
        ASSERT_TRUE(!bytes || storage::saveStateFile(path, *bytes).saved()); // makes the folder
        const storage::TextLines lines = storage::readTextFile(path);
        EXPECT_EQ(std::tuple(lines.existed, lines.orig, lines.trans,
                             lines.problems.filter(path).size(), lines.problems.size()),
                  std::tuple(!!bytes, orig, trans, problems, problems));
    }
    CharTable table;
    table.parse("0a=x\r\n41=AAAAAAAAAAAAAAAA\r\n", {});
    const QString dump = dir.filePath(u"a/tdf.txt"_s);
    EXPECT_TRUE(storage::writeTableDump(table, dump) && storage::writeTableDump(CharTable(), dump));
    EXPECT_EQ(fileBytes(dump), "");
    EXPECT_TRUE(storage::writeTextFile(path, u" Città\r\n"_s, u"\na\rb"_s).saved());
    EXPECT_EQ(fileBytes(path), " Citt\xC3\xA0\r\nab\r\n");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        ADD_FAILURE() << message.toStdString();
    });
    for (const QString& bad : {path + u"/below"_s, dir.filePath(u"a"_s)}) {
        const storage::SaveResult failed = storage::saveStateFile(bad, "bad");
        EXPECT_TRUE(!failed.saved() && failed.problem().contains(bad)) << bad.toStdString();
        EXPECT_FALSE(storage::writeTableDump(table, bad));
    }
    qInstallMessageHandler(nullptr);
    // A file size limit (as a full disk) cuts the write: the save fails, the old file stays.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{16, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(storage::saveStateFile(path, QByteArray(1000, 'x')).saved());
    EXPECT_FALSE(storage::writeTableDump(table, dump));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(fileBytes(path), " Citt\xC3\xA0\r\nab\r\n");
}

// A first run writes the defaults. Positions are read in the C locale or the user's; a window's
// unload replaces its own two lines and saves a complete file, where every other line that was
// readable comes back exactly as it was written.
TEST(StorageTest, StateFilesReadWhatCanBeReadAndSaveCompleteFilesOrReportWhy) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const QByteArray spaces(99, ' '); // a line of 100 characters is the longest read
    // name, file, lines read (not given: unreadable), problems naming the file
    // clang-format off
    const std::tuple<const char*, QByteArray, std::array<std::optional<int>, 6>, int> rows[] = {
        {"complete", "1200\r\n-45\r\n0\r\n15\r\n-30000\r\n" + spaces + "7", {1200, -45, 0, 15, -30000, 7}, 0},
        {"lf_and_seven_lines", "1\n2\n3\n4\n5\n6\n7\n", {1, 2, 3, 4, 5, 6}, 0},
        {"two_local_lines", "1200,5\r\n-45,7\r\n", {1200, -46}, 1},
        {"not_numbers", "abc\r\n\r\n12abc\r\nnan\r\ninf\r\n0x10\r\n", {}, 6},
        {"half_to_even", "1200.5\r\n1201.5\r\n-0.5\r\n1.5e3\r\n-45.7\r\n 15 \r\n", {1200, 1202, 0, 1500, -46, 15}, 0},
        {"out_of_range", "2147483647\r\n-2147483648\r\n2147483648\r\n-2147483649\r\n1e300\r\n " + spaces + "7",
         {2147483647, -2147483647 - 1, none, none, none, none}, 4},
        {"not_utf8_five_lines", "1\r\n2\xE9\r\n3\r\n4\r\n5", {1, none, 3, 4, 5}, 3}};
    // clang-format on
    const Twips fills{10, 20, 30, 40, 50, -1234567}; // the defaults, written without grouping
    QTemporaryDir dir;
    QStringList reports;
    const storage::StateFiles files(
        dir.path(), [fills] { return fills; }, [&](const QString& problem) { reports << problem; });
    EXPECT_EQ(files.readPositions().twips(storage::MiniTop), -1234567);
    EXPECT_EQ(fileBytes(dir.filePath(u"cord"_s)), "10\r\n20\r\n30\r\n40\r\n50\r\n-1234567\r\n");
    EXPECT_FALSE(files.readTexts().existed);
    EXPECT_EQ(reports, QStringList());
    int unloads = 0;
    for (const auto& [name, bytes, twips, problems] : rows) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(storage::saveStateFile(files.positionFilePath(), bytes).saved());
        reports.clear();
        const storage::PositionFile file = files.readPositions();
        const auto left = storage::PositionLine(unloads++ % 3 * 2); // each window in turn
        files.savePosition(left, -15, 300);
        EXPECT_EQ(reports.filter(files.positionFilePath()).size(), 2 * problems); // read, save
        EXPECT_EQ(reports.size(), 2 * problems);
        const storage::PositionFile saved = storage::PositionFile::read(files.positionFilePath());
        for (int i = 0; i < 6; ++i) {
            const auto which = storage::PositionLine(i);
            const QString kept = twips[i] ? file.line(which) : QString::number(fills[i]);
            EXPECT_EQ(file.twips(which), twips[i]) << "line " << i + 1;
            EXPECT_EQ(saved.line(which), i == left ? u"-15"_s : i == left + 1 ? u"300"_s : kept);
        }
    }
    QLocale::setDefault(QLocale::system());
    reports.clear(); // a folder that is a file: both saves are reported, naming their file
    const storage::StateFiles broken(
        files.positionFilePath(), [fills] { return fills; },
        [&](const QString& p) { reports << p; });
    broken.savePosition(storage::MainLeft, 1, 2);
    broken.saveTexts({}, {});
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[0].contains(broken.positionFilePath()) &&
                reports[1].contains(broken.textFilePath()));
}

// The main window is 4230 / twips-per-pixel wide, rounded half to even: 352.5 gives 352, and
// (1920 - 352) / 2 is 784 where 353 would give 783. -797 * 13.5 twips rounds to even -10760.
TEST(StorageTest, DefaultsCentreTheMainWindowWithTheFastCounterBesideIt) {
    const std::tuple<QRect, double, double, Twips> rows[] = {
        {QRect(100, 50, 1920, 1081), 12, 10, {10608, 2950, 15030, 2950, 10608, 2950}},
        {QRect(-1280, 0, 1280, 1024), 13.5, 13.5, {-10760, 3956, -6314, 3956, -10760, 3956}}};
    for (const auto& [screen, perX, perY, twips] : rows) {
        EXPECT_EQ(storage::defaultPositionsTwips({4230, 5910}, screen, perX, perY), twips);
    }
}

} // namespace
