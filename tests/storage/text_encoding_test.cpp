#include "storage/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace {

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

TEST(DecodeStateTest, FallsBackToWindows1252ForTheWholeTextAndSplitsAtLineEnds) {
    EXPECT_EQ(storage::decodeStateText("\xE6\x97\xA5\xE6\x9C\xAC"), u(u"日本"));
    EXPECT_EQ(storage::decodeStateText("caf\xE9"), u(u"café"));
    EXPECT_EQ(storage::decodeStateText("\x80"), u(u"€"));
    // one bad byte makes the valid sequence before it Windows-1252 too
    EXPECT_EQ(storage::decodeStateText("\xC3\xA9\xE9"), u(u"Ã©é"));

    // A byte order mark is dropped at the start of the file only.
    // clang-format off
    const std::pair<QByteArray, QStringList> rows[] = {
        {"", {}}, {"a", {u(u"a")}}, {"a\r\nb\r\n", {u(u"a"), u(u"b")}}, {"a\nb", {u(u"a"), u(u"b")}},
        {"\r\n\r\n", {u(u""), u(u"")}}, {"a\r", {u(u"a")}}, {"a\r\r\n", {u(u"a\r")}},
        {"a\rb\n", {u(u"a\rb")}}, {"\xEF\xBB\xBF" "a\r\n", {u(u"a")}},
        {"caf\xE9\r\n\x80", {u(u"café"), u(u"€")}}, {"a\n\xEF\xBB\xBF" "b", {u(u"a"), u(u"\uFEFFb")}}};
    // clang-format on
    for (const auto& [bytes, lines] : rows) {
        EXPECT_EQ(storage::decodeStateLines(bytes), lines) << bytes.toPercentEncoding().constData();
    }
}

TEST(TableDecoderTest, DecodesEntriesAsTheWholeFileDecides) {
    // whole file, entry, its text
    const std::tuple<std::string, std::string, std::u16string> rows[] = {
        {"41=A\r\n", "\xC3\xA9", u"Ã©"}, // no byte >= 0x80: Windows-1252
        {"E9=\xC3\xA9\r\n", "\xC3\xA9", u"é"},
        {"E9=\xC3\xA9\r\n", "\xC3", u"Ã"}, // a character cut in two
        {"80=\x80\r\n81=\xC3\xA9\r\n", "\xC3\xA9", u"Ã©"}};
    for (const auto& [file, entry, text] : rows) {
        EXPECT_EQ(storage::tableDecoderChooser()(file)(entry), text) << file;
    }
}

} // namespace
