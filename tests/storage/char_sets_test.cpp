#include "storage/char_sets.h"

#include <gtest/gtest.h>

// Names go through Qt's ICU-backed converters; valid UTF-8 stays UTF-8 whatever is named.
TEST(CharSetsTest, NamesAndTheChoiceOfDecoding) {
    EXPECT_FALSE(storage::NamedCharSet::find(u"no-such-set"_qs) || storage::NamedCharSet::find({}));
    const auto sjis = storage::NamedCharSet::find(u" sjis "_qs);
    ASSERT_TRUE(sjis);
    EXPECT_EQ(sjis->name(), "Shift_JIS");
    EXPECT_EQ(sjis->entryDecoder()("\x82\xA0\x93\xFA"), u"あ日");
    EXPECT_EQ(storage::decodeInput("\xEF\xBB\xBF\xE3\x81\x82", sjis).text, u"あ"_qs);
    EXPECT_EQ(storage::decodeInput("\x82\xA0", std::nullopt).text, u"\u201A\u00A0"_qs);
    EXPECT_TRUE(storage::decodeInput("\x82\xFF", sjis).errors);
}
