#include "core/char_table.h"

#include "core/byte_text.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int32_t kMaxCounter = std::numeric_limits<std::int32_t>::max();

void store(CharTable::Entry& entry, std::string_view bytes, const bytetext::Decoder& decode) {
    entry.bytes.assign(bytes);
    entry.text = decode ? decode(bytes) : bytetext::widen(bytes);
}

} // namespace

std::int32_t CharTable::hexToByte(std::string_view text) {
    std::int64_t result = 0;
    std::int64_t weight = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        const int worth = std::max(0, bytetext::hexDigit(*it));
        if (worth != 0) {
            if (weight > kMaxCounter) {
                return kMaxCounter;
            }
            result += worth * weight;
            if (result > kMaxCounter) {
                return kMaxCounter;
            }
        }
        // Weights past the int32 range only matter for a non-zero digit, which saturates above,
        // so the weight stops growing there and cannot overflow on long runs of zeros.
        if (weight <= kMaxCounter) {
            weight *= 16;
        }
    }
    return static_cast<std::int32_t>(result);
}

CharTable::LoadStatus CharTable::parse(std::string_view fileBytes,
                                       const bytetext::Decoder& decode) {
    // The counter of consumed bytes doubles as the position of the next byte. A file longer
    // than the counter can count ends where the counter would overflow, like a file that ends.
    std::int32_t counter = 0;
    const auto canRead = [&](std::int32_t count) {
        return counter <= kMaxCounter - count &&
               fileBytes.size() - static_cast<std::size_t>(counter) >=
                   static_cast<std::size_t>(count);
    };
    const auto at = [](std::int32_t position) { return static_cast<std::size_t>(position); };

    do {
        // The code (exactly two bytes, whatever they are), one byte skipped unexamined (the '='
        // of a well-formed line) and the first value byte, taken whatever it is, even a CR. A
        // file ending before all four stores nothing of this entry; from here on the entry is
        // stored, so an end reached inside the value leaves the value read so far.
        if (!canRead(4)) {
            return LoadStatus::ReadPastEnd;
        }
        const std::int32_t code = hexToByte(fileBytes.substr(at(counter), 2));
        const std::int32_t valueStart = counter + 3;
        counter += 4;

        bool endedByCr = false;
        while (canRead(1)) {
            const char c = fileBytes[at(counter)];
            ++counter;
            if (c == '\r') {
                endedByCr = true;
                break;
            }
        }
        const std::int32_t valueEnd = endedByCr ? counter - 1 : counter;
        store(entries_[at(code)], fileBytes.substr(at(valueStart), at(valueEnd - valueStart)),
              decode);
        if (!endedByCr) {
            return LoadStatus::ReadPastEnd;
        }

        // One byte after the CR skipped unexamined: the LF of a CR LF line end.
        if (!canRead(1)) {
            return LoadStatus::ReadPastEnd;
        }
        ++counter;
    } while (at(counter) != fileBytes.size());

    return LoadStatus::Complete;
}

std::string CharTable::formatDump() const {
    static constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string dump;
    for (std::size_t code = 0; code < entries_.size(); ++code) {
        const std::string& value = entries_[code].bytes;
        if (value.empty()) {
            continue;
        }
        dump += kHexDigits[code >> 4];
        dump += kHexDigits[code & 0xF];
        dump += '=';
        dump += value;
        dump += "\r\n";
    }
    return dump;
}

bool CharTable::holds(std::u16string_view character) const {
    // Codes without an entry have empty text, so an empty query would match them.
    if (character.empty()) {
        return false;
    }
    for (const Entry& entry : entries_) {
        if (entry.text == character) {
            return true;
        }
    }
    return false;
}

const CharTable::Entry& CharTable::entry(std::size_t code) const {
    return entries_[code];
}
