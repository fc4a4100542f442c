// libFuzzer target for the table parser.
#include "core/char_table.h"

#undef NDEBUG // the checks hold in every build type
#include <cassert>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Status = CharTable::LoadStatus;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    CharTable table;
    const Status status = table.parse(file, bytetext::widen);

    bool anyEntry = false;
    for (std::size_t code = 0; code < 256; ++code) {
        // A value is a run of the file, with a CR only first, decoded from exactly its bytes.
        const CharTable::Entry& entry = table.entry(code);
        anyEntry = anyEntry || !entry.bytes.empty();
        assert(entry.text == bytetext::widen(entry.bytes));
        assert(file.find(entry.bytes) != file.npos && entry.bytes.find('\r', 1) == file.npos);
    }
    // A complete parse consumed whole entries: at least one, the last ended by CR and one byte.
    assert(status != Status::Complete || (anyEntry && size >= 6 && file[size - 2] == '\r'));

    // The dump of any table reads back as the same table, completely.
    CharTable reread;
    assert(reread.parse(table.formatDump(), bytetext::widen) ==
           (anyEntry ? Status::Complete : Status::ReadPastEnd));
    assert(reread.formatDump() == table.formatDump());
    return 0;
}
