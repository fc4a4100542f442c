#pragma once

#include "core/check_engine.h"
#include "core/dump_script.h"

#include <QByteArray>

// The reports of a checked dump: its strings are the check's items, its blocks the check's
// blocks, in the same order.
namespace fit {

// One row per string that does not fit with its verdicts under it, one line per block, then
// the summary line.
QByteArray formatDumpRows(const script::DumpScript& dump, const check::Check& check);
// Every string, every block and the summary as one JSON object.
QByteArray formatDumpJson(const script::DumpScript& dump, const check::Check& check);

} // namespace fit
