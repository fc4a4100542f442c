#include "storage/text_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <string_view>
#include <tuple>

namespace {

// QString::fromUtf16 would drop a leading U+FEFF.
QString u(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}

TEST(TextFileTest, ParseGivesEachLineThatIsThere) {
    const auto none = std::nullopt;
    const std::tuple<QByteArray, std::optional<QString>, std::optional<QString>> rows[] = {
        {"", none, none},
        {"Ciao", u(u"Ciao"), none},
        {"\r\n", u(u""), none},
        {"\r\n\r\n", u(u""), u(u"")},
        {"a\nb\n", u(u"a"), u(u"b")},
        {"  a \r\n\tb \r\nc\r\n", u(u"  a "), u(u"\tb ")},
        {"caf\xE9\r\n\x80", u(u"café"), u(u"€")}};
    for (const auto& [bytes, orig, trans] : rows) {
        const storage::TextLines lines = storage::parseTextFile(bytes);
        EXPECT_EQ(lines.orig, orig) << bytes.toPercentEncoding().constData();
        EXPECT_EQ(lines.trans, trans) << bytes.toPercentEncoding().constData();
    }
}

TEST(TextFileTest, ReadsBackWhatWasWritten) {
    const QString megabyte(1 << 20, QLatin1Char('a'));
    // texts written, texts read back
    const std::tuple<QString, QString, QString, QString> rows[] = {
        {{}, {}, {}, {}},
        {u(u"  spazi  "), u(u" x"), u(u"  spazi  "), u(u" x")},
        {u(u"日本語のテキスト"), u(u"Perché \U0001F600"), u(u"日本語のテキスト"),
         u(u"Perché \U0001F600")},
        {u(u"a\r\nb"), u(u"\nc\rd\n"), u(u"ab"), u(u"cd")}, // line breaks are taken out
        {megabyte, u(u"b"), megabyte, u(u"b")}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test"));
    for (const auto& [orig, trans, origBack, transBack] : rows) {
        ASSERT_FALSE(storage::writeTextFile(path, orig, trans));
        const storage::TextLines lines = storage::readTextFile(path);
        EXPECT_TRUE(lines.existed);
        EXPECT_EQ(lines.orig, origBack);
        EXPECT_EQ(lines.trans, transBack);
    }
    // The next save replaces the whole file: exactly two CR LF lines, no byte order mark.
    ASSERT_FALSE(storage::writeTextFile(path, u(u"Città"), QString()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Citt\xC3\xA0\r\n\r\n"));
}

} // namespace
