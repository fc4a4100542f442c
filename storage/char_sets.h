#pragma once

#include "core/byte_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Character sets named by the user (Shift_JIS, EUC-JP, Windows-1252, ...), through Qt's
// converters, which Debian's Qt backs with ICU, so every name ICU knows is accepted.
namespace storage {

// A character set that Qt's converters know, under the name they gave it.
class NamedCharSet {
public:
    // Nothing when no converter knows `name`.
    static std::optional<NamedCharSet> find(const QString& name);

    const QByteArray& name() const { return name_; }
    // Bytes the character set has no character for become U+FFFD; `errors`, when given, is
    // set to whether there were any.
    QString decode(QByteArrayView bytes, bool* errors = nullptr) const;
    // The same, for a table entry's bytes at a time.
    bytetext::Decoder entryDecoder() const;

private:
    explicit NamedCharSet(QByteArray name) : name_(std::move(name)) {}
    QByteArray name_;
};

// How an input file's bytes were taken.
enum class InputCharSet { Utf8, Named, Windows1252 };

struct DecodedInput {
    QString text;
    InputCharSet charSet = InputCharSet::Utf8;
    bool errors = false; // some bytes had no character in the named set
};

// UTF-8 when the bytes are valid UTF-8 (a byte order mark at the start dropped), else the
// named character set when there is one, else Windows-1252.
DecodedInput decodeInput(QByteArrayView bytes, const std::optional<NamedCharSet>& named);

} // namespace storage
