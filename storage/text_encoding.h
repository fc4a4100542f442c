#pragma once

#include "core/byte_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

// Decoding of the bytes the program reads from disk. The state files are written as UTF-8;
// a file from an older copy or another editor that is not valid UTF-8 is taken as
// Windows-1252, so every byte still gives one character and nothing is lost.
namespace storage {

// The characters of `text` as the UTF-16 view that core's functions take; valid while `text`
// lives and is not changed. constData() never detaches or copies (utf16() may), so threads
// may share the strings they view.
inline std::u16string_view utf16View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.constData()),
            static_cast<std::size_t>(text.size())};
}

// A QString of UTF-16 units as they are: QString::fromUtf16 would take a U+FEFF at the start
// for a byte order mark and drop it, and it is a character of the user's text.
inline QString qstringOf(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

// Windows-1252; the five bytes that code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the C1 control with the same number, as Windows itself does.
QString decodeWindows1252(QByteArrayView bytes);

// The bytes of `text` in Windows-1252, as decodeWindows1252 reads them back; a character the
// code page has no byte for becomes '?', and `errors`, when given, is set to whether there was
// one.
QByteArray encodeWindows1252(QStringView text, bool* errors = nullptr);

// UTF-8 when the bytes are valid UTF-8 (strict, as QByteArrayView::isValidUtf8: no overlong
// forms, no surrogates, nothing above U+10FFFF, no cut sequence), otherwise Windows-1252.
QString decodeStateText(QByteArrayView bytes);

// Splits a state file into lines and decodes them. A line ends at LF, and a CR just before
// that LF (or at the very end of the file) belongs to the line end. Text after the last LF is
// a last line without a line end; an empty file has no lines. The whole file decides the
// decoding, as decodeStateText does; a UTF-8 byte order mark at the start of the file is
// dropped (anywhere else U+FEFF is kept as a character).
QStringList decodeStateLines(QByteArrayView bytes);

// The whole text of a state file as decodeStateLines decodes it (its byte order mark dropped),
// for a caller that splits it with lineViews: one string, not one per line.
QString decodeStateFile(QByteArrayView bytes);

// The lines of a text, as decodeStateLines splits a file, as views into `text`.
std::vector<std::u16string_view> lineViews(std::u16string_view text);

// The bytes of a state file: each line in UTF-8, no byte order mark, each ended by CR LF.
QByteArray encodeStateLines(const QStringList& lines);

// Character tables keep the bytes of each entry; the character an entry stands for depends on
// the file it came from, which is read once and handed to its readers with a decoder chosen
// from the whole file. This one is for the one-byte table that typing goes through: UTF-8 when
// the file is valid UTF-8 and holds at least one byte of 0x80 or more, otherwise Windows-1252.
// An entry that is not valid UTF-8 on its own (a character cut by the one-byte grammar) falls
// back to Windows-1252, one character per byte. The byte line and tavrel-fit read tables as
// tableDecoding (storage/char_sets.h) decides.
bytetext::Decoder typingTableDecoder(std::string_view wholeFile);

} // namespace storage
