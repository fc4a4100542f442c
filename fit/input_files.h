#pragma once

#include "core/table_encoding.h"
#include "storage/char_sets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

// What tavrel-fit reads: files, their character sets, tables. Warnings go to `err` as they
// come; a failure leaves its one-line message in `error`.
namespace fit {

void print(std::FILE* stream, const QByteArray& bytes);
// One line on `err`, after the program's name.
void complain(std::FILE* err, const QString& message);

struct InputReader {
    std::optional<storage::NamedCharSet> charSet; // --encoding
    std::FILE* err = nullptr;
    QString error;

    std::optional<QByteArray> bytes(const QString& path);
    // UTF-8 when the bytes are valid UTF-8, else the named character set, else Windows-1252.
    storage::DecodedInput decode(const QByteArray& bytes) const;
    // The lines of a file's bytes decoded as decode() does, `how` telling how (its text left
    // empty): each ends at LF, a CR before it dropped; an empty file has none. Only decodes, so
    // two files may be decoded on two threads at once.
    QStringList lines(const QByteArray& bytes, storage::DecodedInput& how) const;
    // Tells how a file that is not UTF-8 was read.
    void warnAbout(const QString& path, const storage::DecodedInput& input) const;
    // The file's text, decoded and warned about.
    std::optional<QString> text(const QString& path);
    // The table, its entries decoded the same way (the file's own choice of UTF-8 or
    // Windows-1252 when it is valid UTF-8 or no character set was named); its skipped lines and
    // warnings told. A table without entries is an error.
    std::optional<encoding::TableEncoding> table(const QString& path);
};

} // namespace fit
