#pragma once

#include "core/table_encoding.h"
#include "storage/char_sets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

// What tavrel-fit reads and writes: files, their character sets, tables, and one-line messages
// for what goes wrong.
namespace fit {

// The exit codes of every tavrel-fit run.
constexpr int kAllFit = 0;
constexpr int kSomeOver = 1; // some lines do not fit, or --wrap had to cut a word
constexpr int kBadInput = 2;

void print(std::FILE* stream, const QByteArray& bytes);

// "tavrel-fit: <message>" and a line end on `err`.
void complain(std::FILE* err, const QString& message);

// The whole file; nothing, with `error` set, when it cannot be read or is a folder.
std::optional<QByteArray> readFile(const QString& path, QString& error);

// One warning about a file, nothing when `count` is 0:
// "tavrel-fit: PATH: WHAT: COUNT (first: line LINE)", line end included.
QByteArray warningLine(const QString& path, const char* what, std::size_t count,
                       std::size_t firstLine);

// A table file read in the character set storage::chooseCharSet chooses, `charSet` being
// --encoding. Nothing, with `error` set, when it cannot be read or holds no entry; lines it
// skips, warnings about its entries, a file whose set was guessed and bytes with no character
// in the set add a message (line end included) to `warnings`.
std::optional<encoding::TableEncoding>
loadTable(const QString& path, QString& error, QByteArray& warnings,
          const std::optional<storage::NamedCharSet>& charSet = std::nullopt);

// A script file's decoded text and its lines as views into it: each ends at LF, a CR before it
// dropped; an empty file has none. One string for the whole file, not one per line.
struct ScriptLines {
    QString text;
    std::vector<std::u16string_view> lines;
};

// Script files read in the character set storage::chooseCharSet chooses, `charSet` being
// --encoding. Warnings go to `err` as they come; a failure leaves its one-line message in
// `error`.
struct ScriptReader {
    std::optional<storage::NamedCharSet> charSet; // --encoding
    std::FILE* err = nullptr;
    QString error;

    // The bytes decoded in the set storage::chooseCharSet chooses.
    storage::DecodedInput decode(const QByteArray& bytes) const;
    // The lines of a file's bytes decoded as decode() does, `how` telling how (its text left
    // empty). Only decodes, so two files may be decoded on two threads at once.
    ScriptLines lines(const QByteArray& bytes, storage::DecodedInput& how) const;
    // Tells how a file that is not UTF-8 was read when the set was guessed, or that it held
    // bytes the set it was read in has no character for.
    void warnAbout(const QString& path, const storage::DecodedInput& input) const;
    // The file's text, decoded and warned about.
    std::optional<QString> text(const QString& path);
};

} // namespace fit
