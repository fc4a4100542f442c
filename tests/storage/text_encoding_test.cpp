#include "storage/text_encoding.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <string_view>

namespace {

using storage::decodeStateLines;
using storage::decodeStateText;

// QString::fromUtf16 would drop a leading U+FEFF.
QString u(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}

// Qt's own validator is the reference: every sequence of up to three bytes, and four-byte
// sequences for every lead and second byte with the continuation bytes at their limits.
TEST(Utf8ValidityTest, AgreesWithQt) {
    const auto agree = [](const char* b, qsizetype len) {
        const QByteArrayView view(b, len);
        return storage::isValidUtf8(view) == view.isValidUtf8();
    };
    for (int len = 1; len <= 3; ++len) {
        for (std::uint32_t n = 0; n < (1u << (8 * len)); ++n) {
            const char b[3] = {char(n >> 16), char(n >> 8), char(n)};
            ASSERT_TRUE(agree(b + 3 - len, len)) << std::hex << n;
        }
    }
    for (int lead = 0xF0; lead <= 0xFF; ++lead) {
        for (int second = 0; second < 256; ++second) {
            for (const char tail : {'\x7F', '\x80', '\xBF', '\xC0'}) {
                const char b[4] = {char(lead), char(second), '\x80', tail};
                ASSERT_TRUE(agree(b, 4)) << lead << ' ' << second << ' ' << int(tail);
            }
        }
    }
}

TEST(Windows1252Test, EveryByteIsOneCharacter) {
    const std::u16string high = u"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ";
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString decoded = storage::decodeWindows1252(QByteArrayView(&byte, 1));
        ASSERT_EQ(decoded.size(), 1);
        EXPECT_EQ(decoded.at(0).unicode(), (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : b) << b;
    }
}

TEST(DecodeStateTextTest, FallsBackToWindows1252ForTheWholeText) {
    EXPECT_EQ(decodeStateText("\xE6\x97\xA5\xE6\x9C\xAC"), u(u"日本"));
    EXPECT_EQ(decodeStateText("caf\xE9"), u(u"café"));
    EXPECT_EQ(decodeStateText("\x80"), u(u"€"));
    // one bad byte makes the valid sequence before it Windows-1252 too
    EXPECT_EQ(decodeStateText("\xC3\xA9\xE9"), u(u"Ã©é"));
}

struct LinesRow {
    QByteArray bytes;
    QStringList lines;
};

class DecodeStateLinesTest : public ::testing::TestWithParam<LinesRow> {};

// A row prints as a word in the names ctest shows, not as its raw bytes.
[[maybe_unused]] void PrintTo(const LinesRow& /*row*/, std::ostream* out) {
    *out << "row";
}

TEST_P(DecodeStateLinesTest, SplitsAtLineEnds) {
    EXPECT_EQ(decodeStateLines(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, DecodeStateLinesTest,
                         ::testing::Values(LinesRow{"", {}}, LinesRow{"a", {u(u"a")}},
                                           LinesRow{"a\r\nb\r\n", {u(u"a"), u(u"b")}},
                                           LinesRow{"a\nb", {u(u"a"), u(u"b")}},
                                           LinesRow{"\r\n\r\n", {u(u""), u(u"")}},
                                           LinesRow{"a\r", {u(u"a")}},
                                           LinesRow{"a\r\r\n", {u(u"a\r")}},
                                           LinesRow{"a\rb\n", {u(u"a\rb")}},
                                           LinesRow{"\xEF\xBB\xBF"
                                                    "a\r\n",
                                                    {u(u"a")}},
                                           LinesRow{"caf\xE9\r\n\x80", {u(u"café"), u(u"€")}},
                                           LinesRow{"a\n\xEF\xBB\xBF"
                                                    "b",
                                                    {u(u"a"), u(u"\uFEFFb")}}));

struct TableRow {
    std::string file;
    std::string entry;
    std::u16string expected;
};

class TableDecoderTest : public ::testing::TestWithParam<TableRow> {};

// A row prints as a word in the names ctest shows, not as its raw bytes.
[[maybe_unused]] void PrintTo(const TableRow& /*row*/, std::ostream* out) {
    *out << "row";
}

TEST_P(TableDecoderTest, DecodesEntriesAsTheWholeFileDecides) {
    const auto decode = storage::tableDecoderChooser()(GetParam().file);
    EXPECT_EQ(decode(GetParam().entry), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TableDecoderTest,
    ::testing::Values(TableRow{"41=A\r\n", "\xC3\xA9", u"Ã©"}, // no byte >= 0x80: Windows-1252
                      TableRow{"E9=\xC3\xA9\r\n", "\xC3\xA9", u"é"},
                      TableRow{"E9=\xC3\xA9\r\n", "\xC3", u"Ã"}, // a character cut in two
                      TableRow{"80=\x80\r\n81=\xC3\xA9\r\n", "\xC3\xA9", u"Ã©"}));

} // namespace
