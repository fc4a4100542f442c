#pragma once

#include "core/byte_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>
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

private:
    explicit NamedCharSet(QByteArray name) : name_(std::move(name)) {}
    QByteArray name_;
};

// How an input file's bytes are taken.
enum class InputCharSet {
    Utf8,
    Utf16LE,     // by its byte order mark
    Utf16BE,     // by its byte order mark
    Named,       // the set the user named
    ShiftJis,    // guessed
    Windows1252, // guessed
};

// The one rule for every input file, decided on the whole file: the set of the byte order mark
// that starts it (EF BB BF UTF-8, FF FE UTF-16LE, FE FF UTF-16BE), as Windows' editors and
// spreadsheets write them; otherwise UTF-8 when the bytes are valid UTF-8, unless a set is
// named and the file holds a NUL byte, which a UTF-8 text never does and a UTF-16 one without
// a byte order mark almost always does; otherwise the named set when there is one
// (tavrel-fit's --encoding); otherwise Shift-JIS when the whole file decodes cleanly as
// Shift-JIS and holds at least one two-byte character; otherwise Windows-1252, which gives
// every byte a character.
InputCharSet chooseCharSet(QByteArrayView bytes, const std::optional<NamedCharSet>& named);

// The converters' name of a set as chooseCharSet chose it: "UTF-8", "UTF-16LE", the named
// set's name, ...
QString charSetName(InputCharSet charSet, const std::optional<NamedCharSet>& named);

struct DecodedInput {
    QString text;
    InputCharSet charSet = InputCharSet::Utf8;
    bool errors = false; // some bytes had no character in the set (each became U+FFFD)
    bool bom = false;    // the bytes started with a byte order mark, which the text leaves out
};

// The bytes decoded in `charSet`, as chooseCharSet chose it (`named` is used for Named only).
DecodedInput decodeAs(QByteArrayView bytes, InputCharSet charSet,
                      const std::optional<NamedCharSet>& named);
// The bytes decoded in the set chooseCharSet chooses.
DecodedInput decodeInput(QByteArrayView bytes, const std::optional<NamedCharSet>& named);

// A file that its reader takes as UTF-8 text (a width file): converted to UTF-8 when a UTF-16
// byte order mark starts it, as it is otherwise (a UTF-8 one is left for the reader to drop).
QByteArray utf8Text(const QByteArray& bytes);

// The text in `charSet` (`named` used for Named only); a byte order mark first when `bom` (UTF-16
// as chooseCharSet chose it always has one). Characters the set has no bytes for become '?';
// `errors`, when given, is set to whether there were any.
QByteArray encodeAs(QStringView text, InputCharSet charSet,
                    const std::optional<NamedCharSet>& named, bool bom, bool* errors = nullptr);

// A file for the readers that work on bytes and cut lines and fields at ASCII bytes (tables,
// width files): the set chooseCharSet chooses for the whole file and the decoder of an
// entry's bytes in it. UTF-8, Shift-JIS and Windows-1252 files are read as they are, entry by
// entry; a file in any other set (UTF-16, a set named by --encoding, UTF-8 with a byte order
// mark and bytes that are not UTF-8) is converted to UTF-8 as a whole and that is read.
struct TableDecoding {
    InputCharSet charSet = InputCharSet::Utf8;
    bytetext::Decoder decode;
    std::optional<std::string> converted; // the file in UTF-8, when it was converted
    bool errors = false;                  // the conversion met bytes with no character

    // What the readers take: the converted file, or `wholeFile` itself.
    std::string_view bytes(std::string_view wholeFile) const {
        return converted ? std::string_view(*converted) : wholeFile;
    }
};
TableDecoding tableDecoding(std::string_view wholeFile, const std::optional<NamedCharSet>& named);

} // namespace storage
