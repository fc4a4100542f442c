#pragma once

#include "core/table_encoding.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The files tavrel-fit reads, with one-line messages for what goes wrong.
namespace fit {

// The whole file; nothing, with `error` set, when it cannot be read or is a folder.
std::optional<QByteArray> readFile(const QString& path, QString& error);

// A table file read in its own character set. Nothing, with `error` set, when it cannot be
// read or holds no entry; lines it skips add a message (line end included) to `warnings`.
std::optional<encoding::TableEncoding> loadTable(const QString& path, QString& error,
                                                 QByteArray& warnings);

} // namespace fit
