#pragma once

#include "core/csv_script.h"
#include "core/dump_script.h"
#include "core/table_encoding.h"
#include "fit/fit_report.h"

#include <QByteArray>

#include <cstddef>
#include <optional>
#include <vector>

// Real scripts held against their budgets: the strings of an extractor's dump against the room
// the extractor recorded (or their original's bytes) and against their blocks, and the rows
// of a CSV script against their limits (or their original's bytes).
namespace fit {

enum class BudgetSource { Limit, RecordedRoom, Original };

struct StringCheck {
    Bytes original;    // under the original's table
    Bytes translation; // 0 bytes when untranslated
    std::size_t budget = 0;
    BudgetSource source = BudgetSource::Original;
    std::size_t pastBlock = 0;           // bytes of the string that lie past its block's end
    std::optional<ScreenVerdict> screen; // with a width file, when translated
    // Within its budget, its block and the screen; always so when untranslated.
    bool fits = true;
};

struct BlockCheck {
    std::size_t used = 0; // bytes of its translated strings
    bool fits = true;
};

struct DumpCheck {
    encoding::Strategy strategy = encoding::Strategy::Greedy;
    bool bothStrategies = false;
    std::vector<StringCheck> strings; // as script.strings
    std::vector<BlockCheck> blocks;   // as script.blocks
    std::size_t over = 0;             // strings that do not fit
    std::size_t untranslated = 0;
    std::size_t blocksOver = 0;
    std::size_t uncovered = 0;               // characters of the translations no entry covers
    std::optional<screen::WidthFile> widths; // the limits, when the screen was checked
    std::size_t offScreen = 0;               // translated strings off the screen
};

// `originalTable` and `translationTable` are the tables as dumpTableEntries() builds them.
// A string's budget is `limit` when given, else the room its header recorded, else its
// original's bytes. Each block's strings fill it in the dump's order. A translated string
// fails over its budget, past its block, or on its verdict as a line of a plain script does,
// and, given a `screen` (built on `translationTable`), when it is off the screen (then counted
// in `offScreen` rather than `over`); the texts are counted with the other strategy too when
// `bothStrategies`.
DumpCheck checkDump(const script::DumpScript& dump, const encoding::TableEncoding& originalTable,
                    const encoding::TableEncoding& translationTable, encoding::Strategy strategy,
                    std::optional<std::size_t> limit, bool bothStrategies = false,
                    const screen::ScreenMeasure* screen = nullptr);

// One row per string that does not fit with its verdict under it, one line per block, then
// the summary line.
QByteArray formatDumpRows(const script::DumpScript& dump, const DumpCheck& check);
// Every string, every block and the summary as one JSON object.
QByteArray formatDumpJson(const script::DumpScript& dump, const DumpCheck& check);

// A CSV script is checked as a plain one, its records as lines; then each record with a limit
// of its own gets that limit as its budget (when --limit gave none).
void applyRowLimits(ScriptCheck& check, const std::vector<script::CsvRow>& rows);

} // namespace fit
