#include "storage/text_file.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <string_view>

namespace {

using storage::TextLines;

// QString::fromUtf16 would drop a leading U+FEFF.
QString u(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct ParseRow {
    QByteArray bytes;
    std::optional<QString> orig;
    std::optional<QString> trans;
};

class ParseTextFileTest : public ::testing::TestWithParam<ParseRow> {};

// A row prints as a word in the names ctest shows, not as its raw bytes.
[[maybe_unused]] void PrintTo(const ParseRow& /*row*/, std::ostream* out) {
    *out << "row";
}

TEST_P(ParseTextFileTest, GivesEachLineThatIsThere) {
    const TextLines lines = storage::parseTextFile(GetParam().bytes);
    EXPECT_EQ(lines.orig, GetParam().orig);
    EXPECT_EQ(lines.trans, GetParam().trans);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ParseTextFileTest,
    ::testing::Values(ParseRow{"", std::nullopt, std::nullopt},
                      ParseRow{"Ciao", u(u"Ciao"), std::nullopt},
                      ParseRow{"\r\n", u(u""), std::nullopt}, ParseRow{"\r\n\r\n", u(u""), u(u"")},
                      ParseRow{"a\nb\n", u(u"a"), u(u"b")},
                      ParseRow{"  a \r\n\tb \r\nc\r\n", u(u"  a "), u(u"\tb ")},
                      ParseRow{"caf\xE9\r\n\x80", u(u"café"), u(u"€")}));

struct RoundTripRow {
    QString orig;
    QString trans;
    QString origBack;
    QString transBack;
};

class TextFileRoundTripTest : public ::testing::TestWithParam<RoundTripRow> {};

// A row prints as a word in the names ctest shows, not as its raw bytes.
[[maybe_unused]] void PrintTo(const RoundTripRow& /*row*/, std::ostream* out) {
    *out << "row";
}

TEST_P(TextFileRoundTripTest, ReadsBackWhatWasWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test"));
    const RoundTripRow& row = GetParam();
    ASSERT_TRUE(storage::writeTextFile(path, row.orig, row.trans));
    const TextLines lines = storage::readTextFile(path);
    EXPECT_TRUE(lines.existed);
    EXPECT_EQ(lines.orig, row.origBack);
    EXPECT_EQ(lines.trans, row.transBack);
}

const QString megabyte(1 << 20, QLatin1Char('a'));

INSTANTIATE_TEST_SUITE_P(
    Texts, TextFileRoundTripTest,
    ::testing::Values(RoundTripRow{{}, {}, {}, {}},
                      RoundTripRow{u(u"  spazi  "), u(u" x"), u(u"  spazi  "), u(u" x")},
                      RoundTripRow{u(u"日本語のテキスト"), u(u"Perché \U0001F600"),
                                   u(u"日本語のテキスト"), u(u"Perché \U0001F600")},
                      RoundTripRow{u(u"a\r\nb"), u(u"\nc\rd\n"), u(u"ab"), u(u"cd")},
                      RoundTripRow{megabyte, u(u"b"), megabyte, u(u"b")}));

TEST(TextFileTest, WritesExactlyTwoCrLfLinesWithoutBom) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test"));
    ASSERT_TRUE(storage::writeTextFile(path, u(u"primo testo lungo"), u(u"x")));
    ASSERT_TRUE(storage::writeTextFile(path, u(u"Città"), QString()));
    EXPECT_EQ(fileBytes(path), QByteArray("Citt\xC3\xA0\r\n\r\n"));
}

TEST(TextFileTest, MissingFileGivesNoLines) {
    QTemporaryDir dir;
    const TextLines lines = storage::readTextFile(dir.filePath(QStringLiteral("test")));
    EXPECT_FALSE(lines.existed);
    EXPECT_FALSE(lines.orig);
    EXPECT_FALSE(lines.trans);
}

} // namespace
