#pragma once

#include "core/screen_widths.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Width files as tavrel-fit reads them.
namespace fit {

// A width file read and parsed. Nothing, with `error` set, when it cannot be read or cannot
// be used (no `@line`, a known `@` key without a number); the lines it skips and the `@` keys
// it does not know add a message each (line end included) to `warnings` and do not stop the
// run.
std::optional<screen::WidthFile> loadWidthFile(const QString& path, QString& error,
                                               QByteArray& warnings);

} // namespace fit
