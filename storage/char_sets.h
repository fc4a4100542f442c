#pragma once

#include "core/byte_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string_view>

// The character sets of the files a user hands the program (tables, scripts, dumps, CSV), in
// the window and in tavrel-fit alike, and the sets named by the user (Shift_JIS, EUC-JP,
// Windows-1252, ...) through Qt's converters, which Debian's Qt backs with ICU, so every name
// ICU knows is accepted.
namespace storage {

// A character set that Qt's converters know, under the name they gave it.
class NamedCharSet {
public:
    // Nothing when no converter knows `name`.
    static std::optional<NamedCharSet> find(const QString& name);

    const QByteArray& name() const { return name_; }
    // Bytes the character set has no character for become a replacement character; `errors`,
    // when given, is set to whether there were any.
    QString decode(QByteArrayView bytes, bool* errors = nullptr) const;
    // The same, for a table entry's bytes at a time.
    bytetext::Decoder entryDecoder() const;

private:
    explicit NamedCharSet(QByteArray name) : name_(std::move(name)) {}
    QByteArray name_;
};

// How an input file's bytes are taken.
enum class InputCharSet {
    Utf8,
    Named,       // the set the user named
    ShiftJis,    // guessed
    Windows1252, // guessed
};

// The one rule for every input file, decided on the whole file: UTF-8 when the bytes are valid
// UTF-8 (a byte order mark at the start is then dropped by the readers); otherwise the named
// set when there is one (tavrel-fit's --encoding); otherwise Shift-JIS when the whole file
// decodes cleanly as Shift-JIS and holds at least one two-byte character; otherwise
// Windows-1252, which gives every byte a character.
InputCharSet chooseCharSet(QByteArrayView bytes, const std::optional<NamedCharSet>& named);

struct DecodedInput {
    QString text;
    InputCharSet charSet = InputCharSet::Utf8;
    bool errors = false; // some bytes had no character in the named set
};

// The bytes decoded in `charSet`, as chooseCharSet chose it (`named` is used for Named only).
DecodedInput decodeAs(QByteArrayView bytes, InputCharSet charSet,
                      const std::optional<NamedCharSet>& named);
// The bytes decoded in the set chooseCharSet chooses.
DecodedInput decodeInput(QByteArrayView bytes, const std::optional<NamedCharSet>& named);

// A table file for the reader of the common table format (codes of several bytes, entries of
// several characters): the set chooseCharSet chooses for the whole file, and the decoder of
// its entries' bytes in that set.
struct TableDecoding {
    InputCharSet charSet = InputCharSet::Utf8;
    bytetext::Decoder decode;
};
TableDecoding tableDecoding(std::string_view wholeFile, const std::optional<NamedCharSet>& named);

} // namespace storage
