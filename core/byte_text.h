#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Byte helpers shared by the readers of table and width files.
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

// Calls `onLine(lineNumber, line)` for each line of a text file, numbered from 1: a UTF-8 byte
// order mark at the start is dropped, lines end at LF and a CR just before it is dropped.
template <typename OnLine> void forEachLine(std::string_view fileBytes, OnLine&& onLine) {
    if (fileBytes.substr(0, 3) == "\xEF\xBB\xBF") {
        fileBytes.remove_prefix(3);
    }
    for (std::size_t lineNumber = 1; !fileBytes.empty(); ++lineNumber) {
        const std::size_t lf = fileBytes.find('\n');
        std::string_view line = fileBytes.substr(0, lf);
        fileBytes.remove_prefix(lf == std::string_view::npos ? fileBytes.size() : lf + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        onLine(lineNumber, line);
    }
}

// A whole number in decimal digits and nothing else, up to `max`; nothing for anything else.
inline std::optional<std::uint64_t> parseDecimal(std::string_view digits, std::uint64_t max) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (c < '0' || c > '9' || value > (max - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

// A code in big-endian hex: an even number of digits, one to `maxBytes` bytes.
inline std::optional<std::string> parseHexCode(std::string_view hex, std::size_t maxBytes) {
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 2 * maxBytes) {
        return std::nullopt;
    }
    std::string code;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        code.push_back(static_cast<char>(high * 16 + low));
    }
    return code;
}

// The UTF-16 units of the character at `at`: 2 for a surrogate pair, else 1 (a lone
// surrogate is a character of its own).
inline std::size_t charLength(std::u16string_view text, std::size_t at) {
    const char16_t unit = text[at];
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] <= 0xDFFF) {
        return 2;
    }
    return 1;
}

} // namespace bytetext
