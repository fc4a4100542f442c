// libFuzzer target: reads the input as a table file and encodes it, a byte a character.
#include "core/table_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto table = encoding::TableEncoding::read({reinterpret_cast<const char*>(data), size});
    const std::u16string text(data, data + size);
    const auto cost = table.encode(text);
    for (const encoding::Encoding* e : {&cost.greedy, &cost.optimal}) {
        std::size_t bytes = 0;
        for (const encoding::Piece& p : e->pieces) {
            const auto& entry = table.entries().at(static_cast<std::size_t>(p.entry));
            const std::u16string covered = text.substr(p.start, p.length);
            if (covered != entry.text && covered != entry.label) {
                __builtin_trap();
            }
            bytes += entry.code.size();
        }
        if (bytes != e->bytes) {
            __builtin_trap();
        }
    }
    return 0;
}
