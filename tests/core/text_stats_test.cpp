#include "core/text_stats.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

namespace {

struct Counts {
    std::u16string text;
    std::int32_t spaces;
    std::int32_t words;
    std::int32_t sentences;
};

class TextStatsTest : public ::testing::TestWithParam<Counts> {};

// A row prints as a word in the names ctest shows, not as its raw bytes.
[[maybe_unused]] void PrintTo(const Counts& /*row*/, std::ostream* out) {
    *out << "row";
}

TEST_P(TextStatsTest, CountsSpacesWordsAndSentences) {
    const Counts& row = GetParam();
    EXPECT_EQ(Module1::CountSpaces(row.text), row.spaces);
    EXPECT_EQ(Module1::CountWords(row.text), row.words);
    EXPECT_EQ(Module1::CountSentences(row.text), row.sentences);
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardTexts, TextStatsTest,
    ::testing::Values(
        Counts{u"", 0, 0, 0}, Counts{u"Ciao", 0, 1, 0}, Counts{u"Ciao mondo.", 1, 2, 1},
        Counts{u"Sì, grazie!", 1, 2, 2}, Counts{u"l'uomo", 0, 2, 0},
        Counts{u"  due  spazi  ", 6, 2, 0}, Counts{u"a b", 1, 2, 0}, Counts{u"...!", 0, 0, 0},
        Counts{u"Pronto? Sì... va bene.", 3, 4, 3}, Counts{u"3.14", 0, 2, 1},
        Counts{u"a - b", 2, 2, 1}, Counts{u", ciao", 1, 1, 0}, Counts{u"fine_livello", 0, 2, 1},
        // line breaks and tabs are ordinary characters for both counts
        Counts{u"ab\r\ncd", 0, 1, 0}, Counts{u"a\tb", 0, 1, 0}, Counts{u"     ", 5, 0, 0},
        // no-break space, ellipsis and guillemets are not separators
        Counts{u"a\u00A0b\u2026 \u00ABc\u00BB", 1, 2, 0},
        // every bracket and operator splits words but ends no sentence
        Counts{u"a(b)c[d]e{f}g+h*i%j^k", 0, 11, 0},
        // the sentence separators not yet covered above
        Counts{u"a:b;c/d\\e|f", 0, 6, 5},
        // characters outside the BMP are two code units and never separators
        Counts{u"\U0001F600.\U0001F600", 0, 2, 1}));

TEST(TextStatsTest, SeparatorSetsHaveExactMembership) {
    const std::u16string words = u".:;,-_'?!/\\+*%|^()[]{} ";
    const std::u16string sentences = u".:;,-_?!/\\|";
    int wordCount = 0;
    int sentenceCount = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const auto ch = static_cast<char16_t>(c);
        const bool inWords = words.find(ch) != std::u16string::npos;
        const bool inSentences = sentences.find(ch) != std::u16string::npos;
        ASSERT_EQ(Module1::IsWordBreak(ch), inWords) << static_cast<int>(c);
        ASSERT_EQ(Module1::IsSentenceBreak(ch), inSentences) << static_cast<int>(c);
        wordCount += inWords;
        sentenceCount += inSentences;
    }
    EXPECT_EQ(wordCount, 23);
    EXPECT_EQ(sentenceCount, 11);
}

TEST(TextStatsTest, IncrementVarAddsOneInPlace) {
    std::int32_t value = -1;
    Module1::IncrementVar(value);
    Module1::IncrementVar(value);
    EXPECT_EQ(value, 1);
}

} // namespace
