#include "storage/text_encoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace storage {

namespace {

// Code points of Windows-1252's bytes 0x80 to 0x9F; every other byte is its Latin-1 code point.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

bool hasHighByte(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

std::u16string toU16(const QString& s) {
    return std::u16string(utf16View(s));
}

// QString::fromUtf8 drops a byte order mark at the start of what it is given; here a U+FEFF
// that starts a line or a table entry is a character like any other.
QString fromUtf8KeepingBom(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QByteArrayView viewOf(std::string_view s) {
    return QByteArrayView(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

QString decodeWindows1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        dst[i] = (b >= 0x80 && b <= 0x9F) ? QChar(cp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

QByteArray encodeWindows1252(QStringView text, bool* errors) {
    QByteArray out;
    out.reserve(text.size());
    bool missing = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // one character, one '?'
        }
        char byte = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            byte = static_cast<char>(c);
        } else {
            const auto* found = std::find(cp1252High.begin(), cp1252High.end(), c);
            if (found != cp1252High.end()) {
                byte = static_cast<char>(0x80 + (found - cp1252High.begin()));
            } else {
                missing = true;
            }
        }
        out += byte;
    }
    if (errors != nullptr) {
        *errors = missing;
    }
    return out;
}

QString decodeStateText(QByteArrayView bytes) {
    return bytes.isValidUtf8() ? fromUtf8KeepingBom(bytes) : decodeWindows1252(bytes);
}

QString decodeStateFile(QByteArrayView bytes) {
    if (!bytes.isValidUtf8()) {
        return decodeWindows1252(bytes);
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    return fromUtf8KeepingBom(bytes);
}

std::vector<std::u16string_view> lineViews(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    // Qt's search for a character is vectorised; a long script is mostly this search.
    const QStringView searched(text.data(), static_cast<qsizetype>(text.size()));
    std::size_t start = 0;
    while (start < text.size()) {
        const qsizetype found = searched.indexOf(u'\n', static_cast<qsizetype>(start));
        std::size_t end = found < 0 ? text.size() : static_cast<std::size_t>(found);
        const std::size_t next = found < 0 ? text.size() : end + 1;
        if (end > start && text[end - 1] == u'\r') {
            --end;
        }
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

QStringList decodeStateLines(QByteArrayView bytes) {
    const QString text = decodeStateFile(bytes);
    QStringList lines;
    for (const std::u16string_view line : lineViews(utf16View(text))) {
        // Not fromUtf16, which takes a U+FEFF at the start for a byte order mark.
        lines.append(QString(reinterpret_cast<const QChar*>(line.data()),
                             static_cast<qsizetype>(line.size())));
    }
    return lines;
}

QByteArray encodeStateLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

bytetext::Decoder typingTableDecoder(std::string_view wholeFile) {
    if (hasHighByte(wholeFile) && viewOf(wholeFile).isValidUtf8()) {
        return [](std::string_view entry) { return toU16(decodeStateText(viewOf(entry))); };
    }
    return [](std::string_view entry) { return toU16(decodeWindows1252(viewOf(entry))); };
}

} // namespace storage
