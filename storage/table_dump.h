#pragma once

#include "core/char_table.h"

#include <QString>

// The normalised copies of the character table that the window writes beside the table file
// (tdf.txt after a load, tbl.txt after the choice).
namespace storage {

// Writes table.formatDump() to `path`, replacing the file whole. False if it could not be
// written completely.
bool writeTableDump(const CharTable& table, const QString& path);

} // namespace storage
