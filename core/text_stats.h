#pragma once

#include <cstdint>
#include <string_view>

// The four counts shown for every text. Texts are UTF-16 code units, exactly as a text box
// holds them (a QString can be viewed without a copy). Every function is a single pass that
// allocates nothing.
namespace textstats {

// True for the 23 word separators: . space : ; , - _ ' ? ! / \ + * % | ^ ( ) [ ] { }
bool isWordBreak(char16_t c) noexcept;

// True for the 11 sentence separators: . : ; , - _ ? ! / \ |
bool isSentenceBreak(char16_t c) noexcept;

// Positions holding U+0020 exactly; tabs and no-break spaces do not count.
std::int32_t countSpaces(std::u16string_view text) noexcept;

// Maximal runs of characters that are not word separators.
std::int32_t countWords(std::u16string_view text) noexcept;

// Runs of sentence separators that directly follow some other character.
std::int32_t countSentences(std::u16string_view text) noexcept;

} // namespace textstats
