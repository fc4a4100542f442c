#include "core/text_stats.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>

namespace {

TEST(TextStatsTest, CountsSpacesWordsAndSentences) {
    // text, spaces, words, sentences
    // clang-format off
    const std::tuple<std::u16string, std::int32_t, std::int32_t, std::int32_t> rows[] = {
        {u"", 0, 0, 0}, {u"Ciao", 0, 1, 0}, {u"Ciao mondo.", 1, 2, 1}, {u"Sì, grazie!", 1, 2, 2},
        {u"l'uomo", 0, 2, 0}, {u"  due  spazi  ", 6, 2, 0}, {u"a b", 1, 2, 0}, {u"...!", 0, 0, 0},
        {u"Pronto? Sì... va bene.", 3, 4, 3}, {u"3.14", 0, 2, 1}, {u"a - b", 2, 2, 1},
        {u", ciao", 1, 1, 0}, {u"fine_livello", 0, 2, 1},
        // line breaks and tabs are ordinary characters for both counts
        {u"ab\r\ncd", 0, 1, 0}, {u"a\tb", 0, 1, 0}, {u"     ", 5, 0, 0},
        // no-break space, ellipsis and guillemets are not separators
        {u"a\u00A0b\u2026 \u00ABc\u00BB", 1, 2, 0},
        // every bracket and operator splits words but ends no sentence
        {u"a(b)c[d]e{f}g+h*i%j^k", 0, 11, 0},
        // the sentence separators not yet covered above
        {u"a:b;c/d\\e|f", 0, 6, 5},
        // characters outside the BMP are two code units and never separators
        {u"\U0001F600.\U0001F600", 0, 2, 1}};
    // clang-format on
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        const auto& [text, spaces, words, sentences] = rows[row];
        EXPECT_EQ(textstats::countSpaces(text), spaces) << "row " << row;
        EXPECT_EQ(textstats::countWords(text), words) << "row " << row;
        EXPECT_EQ(textstats::countSentences(text), sentences) << "row " << row;
    }
}

TEST(TextStatsTest, SeparatorSetsHaveExactMembership) {
    const std::u16string words = u".:;,-_'?!/\\+*%|^()[]{} ";
    const std::u16string sentences = u".:;,-_?!/\\|";
    int wordCount = 0;
    int sentenceCount = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const auto ch = static_cast<char16_t>(c);
        const bool inWords = words.find(ch) != std::u16string::npos;
        const bool inSentences = sentences.find(ch) != std::u16string::npos;
        ASSERT_EQ(textstats::isWordBreak(ch), inWords) << static_cast<int>(c);
        ASSERT_EQ(textstats::isSentenceBreak(ch), inSentences) << static_cast<int>(c);
        wordCount += inWords;
        sentenceCount += inSentences;
    }
    EXPECT_EQ(wordCount, 23);
    EXPECT_EQ(sentenceCount, 11);
}

} // namespace
