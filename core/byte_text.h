#pragma once

#include <functional>
#include <string>
#include <string_view>

// Byte helpers shared by the two readers of table files.
namespace bytetext {

// Turns the bytes of a table entry's text into UTF-16. Core keeps bytes; the caller knows the
// file's character set and hands the two readers a decoder. An empty one means `widen`.
using Decoder = std::function<std::u16string(std::string_view entryText)>;

// The value of a hexadecimal digit (0-9, a-f, A-F), or -1 for any other byte.
constexpr int hexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Each byte as the code point of the same value (Latin-1): the decoding when none is given.
inline std::u16string widen(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(b)));
    }
    return text;
}

} // namespace bytetext
