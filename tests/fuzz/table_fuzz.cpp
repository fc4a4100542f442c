// libFuzzer target for the table parser. Seed corpus: tests/core/tables.
#include "core/char_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using Module1::WidenBytes;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Module1::CharTable;
    using Module1::TableLoadStatus;

    const std::string_view file(reinterpret_cast<const char*>(data), size);
    CharTable = {};
    const TableLoadStatus status = Module1::ParseTable(file, WidenBytes);
    check(status != TableLoadStatus::CannotOpen);

    bool anyEntry = false;
    for (const auto& entry : CharTable) {
        // Each stored value is a run of the file, holds a CR only as its first byte, and was
        // decoded from exactly its bytes.
        check(entry.text == WidenBytes(entry.bytes));
        if (entry.bytes.empty()) {
            continue;
        }
        anyEntry = true;
        check(file.find(entry.bytes) != std::string_view::npos);
        check(entry.bytes.find('\r', 1) == std::string::npos);
    }
    // A complete parse consumed whole entries: at least one, the last ended by CR and one byte.
    if (status == TableLoadStatus::Complete) {
        check(anyEntry && size >= 6 && file[size - 2] == '\r');
    }

    // The dump of any table reads back as the same table, completely.
    const auto before = CharTable;
    const std::string dump = Module1::FormatTableDump();
    CharTable = {};
    const TableLoadStatus reread = Module1::ParseTable(dump, WidenBytes);
    check(reread == (anyEntry ? TableLoadStatus::Complete : TableLoadStatus::ReadPastEnd));
    for (std::size_t code = 0; code < CharTable.size(); ++code) {
        check(CharTable[code].bytes == before[code].bytes);
    }
    return 0;
}
