#include "storage/char_sets.h"

#include "storage/text_encoding.h"

#include <QStringDecoder>

#include <memory>

namespace storage {

std::optional<NamedCharSet> NamedCharSet::find(const QString& name) {
    const QByteArray latin = name.trimmed().toLatin1();
    if (latin.isEmpty()) {
        return std::nullopt;
    }
    const QStringDecoder decoder(latin.constData());
    if (!decoder.isValid()) {
        return std::nullopt;
    }
    return NamedCharSet(QByteArray(decoder.name()));
}

QString NamedCharSet::decode(QByteArrayView bytes, bool* errors) const {
    QStringDecoder decoder(name_.constData(), QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (errors != nullptr) {
        *errors = decoder.hasError();
    }
    return text;
}

bytetext::Decoder NamedCharSet::entryDecoder() const {
    // One stateless decoder serves every entry; the function may be copied, so it is shared.
    auto decoder =
        std::make_shared<QStringDecoder>(name_.constData(), QStringDecoder::Flag::Stateless);
    return [decoder](std::string_view entry) {
        const QString text =
            decoder->decode(QByteArrayView(entry.data(), static_cast<qsizetype>(entry.size())));
        return std::u16string(utf16View(text));
    };
}

DecodedInput decodeInput(QByteArrayView bytes, const std::optional<NamedCharSet>& named) {
    if (bytes.isValidUtf8()) { // fromUtf8 drops a byte order mark that starts the bytes
        return DecodedInput{QString::fromUtf8(bytes), InputCharSet::Utf8, false};
    }
    if (named) {
        DecodedInput input{{}, InputCharSet::Named, false};
        input.text = named->decode(bytes, &input.errors);
        return input;
    }
    return DecodedInput{decodeWindows1252(bytes), InputCharSet::Windows1252, false};
}

} // namespace storage
