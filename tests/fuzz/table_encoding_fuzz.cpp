// libFuzzer target: the input, read as a table file and as a text, must not crash the reader or
// the encoder; drawn into a small table and a short text, the encoder must agree with the
// oracle that tries every encoding.
#include "core/table_encoding.h"
#include "tests/core/encoding_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    encoding::TableEncoding::read(file).encode(std::u16string(data, data + size));

    std::size_t at = 0;
    const auto [table, text] = oracle::drawn([&] { return at < size ? data[at++] : 0u; });
    if (!oracle::agrees(table, text)) {
        __builtin_trap();
    }
    return 0;
}
