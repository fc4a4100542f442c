#include "core/text_stats.h"

#include <array>

namespace Module1 {
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

void IncrementVar(std::int32_t& value) noexcept {
    ++value;
}

bool IsWordBreak(char16_t c) noexcept {
    return hasClass(c, WordBreak);
}

bool IsSentenceBreak(char16_t c) noexcept {
    return hasClass(c, SentenceBreak);
}

std::int32_t CountSpaces(std::u16string_view text) noexcept {
    std::int32_t spaces = 0;
    for (const char16_t c : text) {
        spaces += c == u' ' ? 1 : 0;
    }
    return spaces;
}

std::int32_t CountWords(std::u16string_view text) noexcept {
    std::int32_t words = 0;
    bool previousWasBreak = true; // the start of the text acts as a separator
    for (const char16_t c : text) {
        const bool isBreak = IsWordBreak(c);
        if (!isBreak && previousWasBreak) {
            IncrementVar(words);
        }
        previousWasBreak = isBreak;
    }
    return words;
}

std::int32_t CountSentences(std::u16string_view text) noexcept {
    std::int32_t sentences = 0;
    bool previousWasBreak = true; // separators at the very start end nothing
    for (const char16_t c : text) {
        const bool isBreak = IsSentenceBreak(c);
        if (isBreak && !previousWasBreak) {
            IncrementVar(sentences);
        }
        previousWasBreak = isBreak;
    }
    return sentences;
}

} // namespace Module1
