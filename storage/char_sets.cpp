#include "storage/char_sets.h"

#include "storage/text_encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <memory>

namespace storage {

namespace {

// The converters' name for the Shift-JIS that the rule guesses, the one `--encoding Shift_JIS`
// names, so a guessed file reads exactly as a named one.
constexpr const char* kShiftJis = "Shift_JIS";

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE");
constexpr QByteArrayView kUtf16BeBom("\xFE\xFF");

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

InputCharSet chooseCharSet(QByteArrayView bytes, const std::optional<NamedCharSet>& named) {
    if (bytes.startsWith(kUtf8Bom)) {
        return InputCharSet::Utf8;
    }
    if (bytes.startsWith(kUtf16LeBom)) {
        return InputCharSet::Utf16LE;
    }
    if (bytes.startsWith(kUtf16BeBom)) {
        return InputCharSet::Utf16BE;
    }
    if (bytes.isValidUtf8() && !(named && bytes.contains('\0'))) {
        return InputCharSet::Utf8;
    }
    if (named) {
        return InputCharSet::Named;
    }
    return isShiftJisWithTwoByteCharacter(bytes) ? InputCharSet::ShiftJis
                                                 : InputCharSet::Windows1252;
}

QString charSetName(InputCharSet charSet, const std::optional<NamedCharSet>& named) {
    switch (charSet) {
    case InputCharSet::Utf8:
        return QStringLiteral("UTF-8");
    case InputCharSet::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case InputCharSet::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case InputCharSet::Named:
        return QString::fromLatin1(named->name());
    case InputCharSet::ShiftJis:
        return QLatin1String(kShiftJis);
    case InputCharSet::Windows1252:
        break;
    }
    return QStringLiteral("Windows-1252");
}

DecodedInput decodeAs(QByteArrayView bytes, InputCharSet charSet,
                      const std::optional<NamedCharSet>& named) {
    DecodedInput input{{}, charSet, false, false};
    switch (charSet) {
    case InputCharSet::Utf8:
        input.bom = bytes.startsWith(kUtf8Bom);
        if (bytes.isValidUtf8()) {
            input.text = QString::fromUtf8(bytes); // drops a byte order mark that starts them
        } else {                                   // a byte order mark, then bytes that are not
            input.text = decodeIn("UTF-8", bytes, &input.errors);
        }
        break;
    case InputCharSet::Utf16LE:
    case InputCharSet::Utf16BE:
        // The decoder drops the byte order mark; an odd last byte or a lone surrogate is an error.
        input.bom = true;
        input.text = decodeIn(charSet == InputCharSet::Utf16LE ? "UTF-16LE" : "UTF-16BE", bytes,
                              &input.errors);
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

QByteArray utf8Text(const QByteArray& bytes) {
    const InputCharSet charSet = chooseCharSet(bytes, std::nullopt);
    if (charSet != InputCharSet::Utf16LE && charSet != InputCharSet::Utf16BE) {
        return bytes;
    }
    return decodeAs(bytes, charSet, std::nullopt).text.toUtf8();
}

QByteArray encodeAs(QStringView text, InputCharSet charSet,
                    const std::optional<NamedCharSet>& named, bool bom, bool* errors) {
    if (charSet == InputCharSet::Windows1252) {
        return encodeWindows1252(text, errors);
    }
    const QByteArray name =
        charSet == InputCharSet::Named ? named->name() : charSetName(charSet, named).toLatin1();
    QStringEncoder encoder(name.constData(),
                           bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
    QByteArray bytes = encoder.encode(text);
    if (errors != nullptr) {
        *errors = encoder.hasError();
    }
    if (!encoder.hasError()) {
        return bytes;
    }
    // Again a character at a time, so that each one the set lacks becomes '?' as in
    // Windows-1252, not the converter's own substitute (FC FC in Shift-JIS).
    // An error stays with the encoder (resetState does not clear it in the ICU converters), so
    // each one takes a new encoder.
    std::optional<QStringEncoder> each;
    bytes.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (!each) {
            each.emplace(name.constData(), QStringEncoder::Flag::Stateless);
        }
        const QByteArray piece = each->encode(text.sliced(i, length));
        if (each->hasError()) {
            bytes += '?';
            each.reset();
        } else {
            bytes += piece;
        }
        i += length;
    }
    return bom ? QStringEncoder(name.constData()).encode(u"\uFEFF") + bytes : bytes;
}

TableDecoding tableDecoding(std::string_view wholeFile, const std::optional<NamedCharSet>& named) {
    const QByteArrayView bytes(wholeFile.data(), static_cast<qsizetype>(wholeFile.size()));
    TableDecoding table{chooseCharSet(bytes, named), {}, std::nullopt, false};
    const bool readAsItIs = table.charSet == InputCharSet::ShiftJis ||
                            table.charSet == InputCharSet::Windows1252 ||
                            (table.charSet == InputCharSet::Utf8 && bytes.isValidUtf8());
    if (!readAsItIs) {
        DecodedInput input = decodeAs(bytes, table.charSet, named);
        table.converted = input.text.toStdString();
        table.errors = input.errors;
    }
    switch (table.converted ? InputCharSet::Utf8 : table.charSet) {
    case InputCharSet::Utf8:
        // An entry of a valid UTF-8 file is valid UTF-8: the reader cuts lines only at ASCII
        // bytes. A U+FEFF that starts an entry is a character like any other.
        table.decode = [](std::string_view entry) {
            return toU16(decodeStateText(QByteArrayView(entry.data(), qsizetype(entry.size()))));
        };
        break;
    case InputCharSet::Utf16LE: // converted to UTF-8 above
    case InputCharSet::Utf16BE:
    case InputCharSet::Named:
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
