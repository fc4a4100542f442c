// libFuzzer target for the table encoding. The input is a table file, then optionally a zero
// byte and a text as UTF-16LE; without a text the table's own bytes are encoded.
// Seed corpus: tests/fuzz/seeds/table_encoding_fuzz.
#include "core/table_encoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Pieces lie in order inside the text, each is its entry's text or label, and their bytes add
// up to the total; the budget of exactly the total fits, one byte less does not.
void checkEncoding(const encoding::TableEncoding& table, std::u16string_view text,
                   const encoding::TextCost& cost, encoding::Strategy strategy) {
    const encoding::Encoding& e = cost.of(strategy);
    std::size_t end = 0;
    std::size_t bytes = 0;
    for (const encoding::Piece& piece : e.pieces) {
        check(piece.start >= end && piece.start + piece.length <= text.size());
        const auto& entry = table.entries().at(static_cast<std::size_t>(piece.entry));
        const std::u16string_view covered = text.substr(piece.start, piece.length);
        check(covered == entry.text || covered == entry.label);
        check(piece.bytes == entry.code.size());
        end = piece.start + piece.length;
        bytes += piece.bytes;
    }
    check(bytes == e.bytes);
    check((e.uncovered == 0) == !e.firstUncovered.has_value());
    check(!cost.stopsFitting(e.bytes, strategy).has_value());
    check(e.bytes == 0 || cost.stopsFitting(e.bytes - 1, strategy).has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const std::string_view file = input.substr(0, zero);
    const auto table = encoding::TableEncoding::read(file);

    std::u16string text;
    const std::string_view rest = zero == std::string_view::npos ? file : input.substr(zero + 1);
    const std::size_t step = zero == std::string_view::npos ? 1 : 2;
    for (std::size_t i = 0; i + step <= rest.size(); i += step) {
        const auto low = static_cast<unsigned char>(rest[i]);
        const unsigned high = step == 2 ? static_cast<unsigned char>(rest[i + 1]) : 0u;
        text.push_back(static_cast<char16_t>(low | (high << 8)));
    }

    const auto cost = table.encode(text);
    checkEncoding(table, text, cost, encoding::Strategy::Greedy);
    checkEncoding(table, text, cost, encoding::Strategy::Optimal);
    // With codes of one byte no code extends another, so the greedy encoding is one of those
    // the optimum chooses from: fewer uncovered characters, or as many and no more bytes.
    bool oneByteCodes = true;
    for (const auto& entry : table.entries()) {
        oneByteCodes = oneByteCodes && entry.code.size() <= 1;
    }
    if (oneByteCodes) {
        check(cost.optimal.uncovered <= cost.greedy.uncovered);
        check(cost.optimal.uncovered < cost.greedy.uncovered ||
              cost.optimal.bytes <= cost.greedy.bytes);
    }
    return 0;
}
