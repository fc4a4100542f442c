#pragma once

#include "core/table_encoding.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <optional>

// What tavrel-fit reads and writes: files, and one-line messages for what goes wrong.
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

// A table file read in its own character set. Nothing, with `error` set, when it cannot be
// read or holds no entry; lines it skips add a message (line end included) to `warnings`.
std::optional<encoding::TableEncoding> loadTable(const QString& path, QString& error,
                                                 QByteArray& warnings);

} // namespace fit
