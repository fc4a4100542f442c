// libFuzzer target for the readers of the position file, the text file and table entries.
#include "storage/position_file.h"
#include "storage/text_encoding.h"
#include "storage/text_file.h"

#undef NDEBUG // the checks hold in every build type
#include <cassert>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));

    // A value that was read is written back as text that reads as the same value.
    storage::PositionFile positions = storage::PositionFile::parse(bytes);
    for (int i = 0; i < storage::positionLineCount; ++i) {
        const auto which = static_cast<storage::PositionLine>(i);
        if (const std::optional<int> twips = positions.twips(which)) {
            positions.setTwips(which, *twips);
            assert(positions.twips(which) == twips);
        }
    }

    // A text file saved as it was read reads back the same, but for a BOM that starts it.
    const storage::TextLines text = storage::parseTextFile(bytes);
    const QString orig = text.orig.value_or(QString()).remove(QLatin1Char('\r'));
    const QString trans = text.trans.value_or(QString()).remove(QLatin1Char('\r'));
    const storage::TextLines again =
        storage::parseTextFile(storage::encodeStateLines({orig, trans}));
    assert(again.trans == trans && (again.orig == orig || orig.startsWith(QChar(0xFEFF))));

    // A table that is not UTF-8 gives each byte one character.
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    const std::u16string entry =
        storage::tableEntryDecoder(whole, storage::TableCharsets::Utf8OrWindows1252)(whole);
    assert(bytes.isValidUtf8() || entry.size() == size);
    return 0;
}
