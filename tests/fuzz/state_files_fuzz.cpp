// libFuzzer target for the readers of the position file and the text file.
#include "storage/position_file.h"
#include "storage/text_encoding.h"
#include "storage/text_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));

    storage::PositionFile positions = storage::PositionFile::parse(bytes);
    for (int i = 0; i < storage::positionLineCount; ++i) {
        const auto which = static_cast<storage::PositionLine>(i);
        // A value that was read is written back as text that reads as the same value.
        if (const std::optional<int> twips = positions.twips(which)) {
            positions.setTwips(which, *twips);
            if (positions.twips(which) != twips) {
                std::abort();
            }
        }
    }

    // What was read from a text file is saved and read back unchanged, line ends aside.
    const storage::TextLines text = storage::parseTextFile(bytes);
    const QString orig = text.orig.value_or(QString()).remove(QLatin1Char('\r'));
    const QString trans = text.trans.value_or(QString()).remove(QLatin1Char('\r'));
    const storage::TextLines again =
        storage::parseTextFile(storage::encodeStateLines({orig, trans}));
    // A byte order mark at the start of the file is dropped on reading; anywhere else it stays.
    if (again.trans != trans || (again.orig != orig && !orig.startsWith(QChar(0xFEFF)))) {
        std::abort();
    }

    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    const std::u16string entry = storage::tableDecoderChooser()(whole)(whole);
    if (storage::isValidUtf8(bytes) == false && entry.size() != size) {
        std::abort();
    }
    return 0;
}
