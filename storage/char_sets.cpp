#include "storage/char_sets.h"

#include "storage/text_encoding.h"

#include <QStringDecoder>

#include <memory>

namespace storage {

namespace {

// The converters' name for the Shift-JIS that the rule guesses, the one `--encoding Shift_JIS`
// names, so a guessed file reads exactly as a named one.
constexpr const char* kShiftJis = "Shift_JIS";

QString decodeIn(const char* charSet, QByteArrayView bytes, bool* errors) {
    QStringDecoder decoder(charSet, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (errors != nullptr) {
        *errors = !decoder.isValid() || decoder.hasError();
    }
    return text;
}

bytetext::Decoder entryDecoderIn(const char* charSet) {
    // One stateless decoder serves every entry; the function may be copied, so it is shared.
    auto decoder = std::make_shared<QStringDecoder>(charSet, QStringDecoder::Flag::Stateless);
    return [decoder](std::string_view entry) {
        const QString text =
            decoder->decode(QByteArrayView(entry.data(), static_cast<qsizetype>(entry.size())));
        return std::u16string(utf16View(text));
    };
}

// A two-byte character decodes to one UTF-16 unit, every one-byte character to one, so a clean
// decoding holds a two-byte character exactly when it is shorter than the bytes.
bool isShiftJisWithTwoByteCharacter(QByteArrayView bytes) {
    bool errors = true;
    const QString text = decodeIn(kShiftJis, bytes, &errors);
    return !errors && text.size() < bytes.size();
}

std::u16string toU16(const QString& s) {
    return std::u16string(utf16View(s));
}

} // namespace

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
    return decodeIn(name_.constData(), bytes, errors);
}

bytetext::Decoder NamedCharSet::entryDecoder() const {
    return entryDecoderIn(name_.constData());
}

InputCharSet chooseCharSet(QByteArrayView bytes, const std::optional<NamedCharSet>& named) {
    if (bytes.isValidUtf8()) {
        return InputCharSet::Utf8;
    }
    if (named) {
        return InputCharSet::Named;
    }
    return isShiftJisWithTwoByteCharacter(bytes) ? InputCharSet::ShiftJis
                                                 : InputCharSet::Windows1252;
}

DecodedInput decodeAs(QByteArrayView bytes, InputCharSet charSet,
                      const std::optional<NamedCharSet>& named) {
    DecodedInput input{{}, charSet, false};
    switch (charSet) {
    case InputCharSet::Utf8: // fromUtf8 drops a byte order mark that starts the bytes
        input.text = QString::fromUtf8(bytes);
        break;
    case InputCharSet::Named:
        input.text = named->decode(bytes, &input.errors);
        break;
    case InputCharSet::ShiftJis:
        input.text = decodeIn(kShiftJis, bytes, nullptr);
        break;
    case InputCharSet::Windows1252:
        input.text = decodeWindows1252(bytes);
        break;
    }
    return input;
}

DecodedInput decodeInput(QByteArrayView bytes, const std::optional<NamedCharSet>& named) {
    return decodeAs(bytes, chooseCharSet(bytes, named), named);
}

TableDecoding tableDecoding(std::string_view wholeFile, const std::optional<NamedCharSet>& named) {
    const QByteArrayView bytes(wholeFile.data(), static_cast<qsizetype>(wholeFile.size()));
    TableDecoding table{chooseCharSet(bytes, named), {}};
    switch (table.charSet) {
    case InputCharSet::Utf8:
        // An entry of a valid UTF-8 file is valid UTF-8: the reader cuts lines only at ASCII
        // bytes. A U+FEFF that starts an entry is a character like any other.
        table.decode = [](std::string_view entry) {
            return toU16(decodeStateText(QByteArrayView(entry.data(), qsizetype(entry.size()))));
        };
        break;
    case InputCharSet::Named:
        table.decode = named->entryDecoder();
        break;
    case InputCharSet::ShiftJis:
        table.decode = entryDecoderIn(kShiftJis);
        break;
    case InputCharSet::Windows1252:
        table.decode = [](std::string_view entry) {
            return toU16(decodeWindows1252(QByteArrayView(entry.data(), qsizetype(entry.size()))));
        };
        break;
    }
    return table;
}

} // namespace storage
