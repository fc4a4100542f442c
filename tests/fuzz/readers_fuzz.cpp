// libFuzzer target for the readers of every file a user hands the program: the first byte of
// the input picks the reader, the rest is the file.
#include "core/char_table.h"
#include "storage/char_sets.h"
#include "storage/position_file.h"
#include "storage/text_encoding.h"
#include "storage/text_file.h"
#include "tests/core/encoding_oracle.h"

#undef NDEBUG // the checks hold in every build type
#include <cassert>
#include <cstdint>
#include <string_view>

namespace {

// The typing table: a value is a run of the file, with a CR only first, decoded from exactly
// its bytes; a complete parse consumed whole entries; any table's dump reads back the same.
void charTable(std::string_view file) {
    CharTable table;
    const auto status = table.parse(file, bytetext::widen);
    bool anyEntry = false;
    for (std::size_t code = 0; code < 256; ++code) {
        const CharTable::Entry& entry = table.entry(code);
        anyEntry = anyEntry || !entry.bytes.empty();
        assert(entry.text == bytetext::widen(entry.bytes));
        assert(file.find(entry.bytes) != file.npos && entry.bytes.find('\r', 1) == file.npos);
    }
    assert(status != CharTable::LoadStatus::Complete ||
           (anyEntry && file.size() >= 6 && file[file.size() - 2] == '\r'));
    CharTable reread;
    assert(reread.parse(table.formatDump(), bytetext::widen) ==
           (anyEntry ? CharTable::LoadStatus::Complete : CharTable::LoadStatus::ReadPastEnd));
    assert(reread.formatDump() == table.formatDump());
}

// The position and text files: a value read is written back as text that reads the same; a
// text file saved as it was read reads back the same, but for a BOM that starts it. The choice
// of a table's character set must not crash.
void stateFiles(std::string_view file) {
    const QByteArrayView bytes(file.data(), static_cast<qsizetype>(file.size()));
    storage::PositionFile positions = storage::PositionFile::parse(bytes);
    for (int i = 0; i < storage::positionLineCount; ++i) {
        const auto which = static_cast<storage::PositionLine>(i);
        if (const std::optional<int> twips = positions.twips(which)) {
            positions.setTwips(which, *twips);
            assert(positions.twips(which) == twips);
        }
    }
    const storage::TextLines text = storage::parseTextFile(bytes);
    const QString orig = text.orig.value_or(QString()).remove(QLatin1Char('\r'));
    const QString trans = text.trans.value_or(QString()).remove(QLatin1Char('\r'));
    const auto again = storage::parseTextFile(storage::encodeStateLines({orig, trans}));
    assert(again.trans == trans && (again.orig == orig || orig.startsWith(QChar(0xFEFF))));
    storage::typingTableDecoder(file)(file);
}

// The multi-byte table reader and the encoder must not crash on the file as table and text;
// drawn into a small table and a short text, the encoder agrees with the oracle, on draws it
// walks quickly (twenty entries for each of six letters take it minutes).
void tableEncoding(std::string_view file) {
    const storage::TableDecoding decoding = storage::tableDecoding(file, std::nullopt);
    encoding::TableEncoding::read(decoding.bytes(file), decoding.decode)
        .encode(std::u16string(file.begin(), file.end()));
    std::size_t at = 0;
    const auto [table, text] = oracle::drawn([&]() -> unsigned {
        return at < file.size() ? static_cast<unsigned char>(file[at++]) : 0u;
    });
    assert(oracle::walkBound(table.entries(), text) > 4096 || oracle::agrees(table, text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr void (*kReaders[])(std::string_view) = {charTable, stateFiles, tableEncoding};
    if (size > 0) {
        kReaders[data[0] % 3]({reinterpret_cast<const char*>(data) + 1, size - 1});
    }
    return 0;
}
