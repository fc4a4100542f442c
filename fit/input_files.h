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
    // The file's text: UTF-8 when it is valid UTF-8, else the named character set, else
    // Windows-1252 with a warning.
    std::optional<QString> text(const QString& path);
    // The text's lines: each ends at LF, a CR before it dropped; an empty file has none.
    std::optional<QStringList> lines(const QString& path);
    // The table, its entries decoded the same way; a table without entries is an error.
    std::optional<encoding::TableEncoding> table(const QString& path);
};

} // namespace fit
