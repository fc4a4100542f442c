#include "storage/char_sets.h"

#include <gtest/gtest.h>

namespace {

using storage::InputCharSet;

TEST(CharSetsTest, NamesAndTheChoiceOfDecoding) {
    EXPECT_FALSE(storage::NamedCharSet::find(QStringLiteral("no-such-set")));
    EXPECT_FALSE(storage::NamedCharSet::find(QString()));
    const auto sjis = storage::NamedCharSet::find(QStringLiteral(" sjis "));
    ASSERT_TRUE(sjis);
    EXPECT_EQ(sjis->name(), "Shift_JIS");
    EXPECT_EQ(sjis->entryDecoder()("\x82\xA0\x93\xFA"), u"あ日");

    const QByteArray shiftJis("\x82\xA0=a");
    const struct {
        QByteArray bytes;
        bool named;
        QString text;
        InputCharSet charSet;
    } rows[] = {
        {"\xEF\xBB\xBF\xE3\x81\x82", true, u"あ"_qs, InputCharSet::Utf8},
        {shiftJis, true, u"あ=a"_qs, InputCharSet::Named},
        {shiftJis, false, u"\u201A\u00A0=a"_qs, InputCharSet::Windows1252},
    };
    for (const auto& row : rows) {
        const auto input = storage::decodeInput(row.bytes, row.named ? sjis : std::nullopt);
        EXPECT_EQ(input.text, row.text);
        EXPECT_EQ(input.charSet, row.charSet);
        EXPECT_FALSE(input.errors);
    }
    EXPECT_TRUE(storage::decodeInput("\x82\xFF", sjis).errors);
}

} // namespace
