#include "core/text_stats.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

TEST(TextStatsTest, CountsSpacesWordsAndSentences) {
    // text, spaces, words, sentences
    const std::tuple<std::u16string, int, int, int> rows[] = {
        {u"  due  spazi  ", 6, 2, 0},
        {u"...! a", 1, 1, 0},                     // separators at the start end no sentence
        {u"a.b:c;d,e-f_g?h!i/j\\k|l", 0, 12, 11}, // the 11 sentence separators
        {u"a'b+c*d%e^f(g)h[i]j{k}l m", 1, 13, 0}, // the 12 that only split words
        // the other ASCII punctuation, controls and non-ASCII characters are ordinary
        {u"\"#$&<=>@`~\t\r\n\x01\x7F\u00A0\u2026\u00AB\u3002\uFF0E", 0, 1, 0},
        {u"\U0001F600.\U0001F600", 0, 2, 1}}; // two code units, never separators
    for (const auto& [text, spaces, words, sentences] : rows) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(textstats::countSpaces(text), spaces);
        EXPECT_EQ(textstats::countWords(text), words);
        EXPECT_EQ(textstats::countSentences(text), sentences);
    }
}
