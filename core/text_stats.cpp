#include "core/text_stats.h"

#include <array>

namespace textstats {
namespace {

constexpr std::u16string_view kWordBreaks = u".:;,-_'?!/\\+*%|^()[]{} ";
constexpr std::u16string_view kSentenceBreaks = u".:;,-_?!/\\|";

// All separators are ASCII, so one 128-entry table answers both questions in one load.
enum : unsigned char { WordBreak = 1, SentenceBreak = 2 };

constexpr std::array<unsigned char, 128> makeClasses() {
    std::array<unsigned char, 128> classes{};
    for (const char16_t c : kWordBreaks) {
        classes[c] |= WordBreak;
    }
    for (const char16_t c : kSentenceBreaks) {
        classes[c] |= SentenceBreak;
    }
    return classes;
}

constexpr std::array<unsigned char, 128> kClasses = makeClasses();

constexpr bool hasClass(char16_t c, unsigned char cls) noexcept {
    return c < kClasses.size() && (kClasses[c] & cls) != 0;
}

static_assert(kWordBreaks.size() == 23 && kSentenceBreaks.size() == 11);

} // namespace

bool isWordBreak(char16_t c) noexcept {
    return hasClass(c, WordBreak);
}

bool isSentenceBreak(char16_t c) noexcept {
    return hasClass(c, SentenceBreak);
}

std::int32_t countSpaces(std::u16string_view text) noexcept {
    std::int32_t spaces = 0;
    for (const char16_t c : text) {
        spaces += c == u' ' ? 1 : 0;
    }
    return spaces;
}

std::int32_t countWords(std::u16string_view text) noexcept {
    std::int32_t words = 0;
    bool previousWasBreak = true; // the start of the text acts as a separator
    for (const char16_t c : text) {
        const bool isBreak = isWordBreak(c);
        if (!isBreak && previousWasBreak) {
            ++words;
        }
        previousWasBreak = isBreak;
    }
    return words;
}

std::int32_t countSentences(std::u16string_view text) noexcept {
    std::int32_t sentences = 0;
    bool previousWasBreak = true; // separators at the very start end nothing
    for (const char16_t c : text) {
        const bool isBreak = isSentenceBreak(c);
        if (isBreak && !previousWasBreak) {
            ++sentences;
        }
        previousWasBreak = isBreak;
    }
    return sentences;
}

} // namespace textstats
