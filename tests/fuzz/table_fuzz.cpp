// libFuzzer target for the table parser. Seed corpus: tests/core/tables.
#include "core/char_table.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Status = CharTable::LoadStatus;
    constexpr std::size_t codes = 256;

    const std::string_view file(reinterpret_cast<const char*>(data), size);
    CharTable table;
    const Status status = table.parse(file, CharTable::widenBytes);
    check(status != Status::CannotOpen);

    bool anyEntry = false;
    for (std::size_t code = 0; code < codes; ++code) {
        // Each stored value is a run of the file, holds a CR only as its first byte, and was
        // decoded from exactly its bytes.
        const CharTable::Entry& entry = table.entry(code);
        check(entry.text == CharTable::widenBytes(entry.bytes));
        if (entry.bytes.empty()) {
            continue;
        }
        anyEntry = true;
        check(file.find(entry.bytes) != std::string_view::npos);
        check(entry.bytes.find('\r', 1) == std::string::npos);
    }
    // A complete parse consumed whole entries: at least one, the last ended by CR and one byte.
    if (status == Status::Complete) {
        check(anyEntry && size >= 6 && file[size - 2] == '\r');
    }

    // The dump of any table reads back as the same table, completely.
    CharTable reread;
    check(reread.parse(table.formatDump(), CharTable::widenBytes) ==
          (anyEntry ? Status::Complete : Status::ReadPastEnd));
    for (std::size_t code = 0; code < codes; ++code) {
        check(reread.entry(code).bytes == table.entry(code).bytes);
    }
    return 0;
}
