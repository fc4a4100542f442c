#pragma once

#include "core/check_engine.h"
#include "fit/json_writer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <cstdio>
#include <vector>

// The reports of a check: rows of the items that fail with the summary, or JSON of every
// item. Nothing here judges: every figure and verdict comes from the check engine.
namespace fit {

// "1 line", "2 lines".
QString counted(std::size_t count, const char* one, const char* many);

// How many characters of a translation a row shows.
constexpr qsizetype kPreviewLength = 30;
// The first `length` characters of a text in UTF-8 and an ellipsis when it is longer, its line
// ends shown as U+21B5; a surrogate pair is never cut.
void appendPreview(QByteArray& out, QStringView text, qsizetype length = kPreviewLength);

// The screen limits a translation goes over, indented under its row: "        px 150/144,
// lines 4/3\n"; nothing when it fits.
QByteArray screenRow(const check::ScreenVerdict& screen, const screen::WidthFile& widths);

// The lines printed under a failing item's row: the verdict that fails its translation under
// the strategy (misread, cannot be written), then the screen limits it goes over
// ("px 150/144, lines 4/3"); each indented and ended by a line end.
QByteArray verdictRows(const check::Verdict& verdict, const check::Check& check);

// A text's figures as a JSON object: its verdicts as members when the strategy they belong to
// was worked out.
void writeText(JsonWriter& json, const check::TextBytes& bytes, const check::Check& check);
// The "screen" member of an item, when it has one.
void writeScreen(JsonWriter& json, const check::Verdict& verdict);
// The "codes" member of an item, when the codes were checked.
void writeCodes(JsonWriter& json, const check::Verdict& verdict);
// The summary's counts of the limits only some checks hold: "off_screen" with a width file,
// "codes_differ" with --codes.
void writeOptionalCounts(JsonWriter& json, const check::Check& check);
// "greedy" or "optimal".
const char* strategyName(encoding::Strategy strategy);
// The summary's "; N with code differences", when the codes were checked.
QString codesSummary(const check::Check& check);

// A plain pair's lines, or a CSV script's records, as rows: one per item that fails, its
// verdicts under it, then the summary line; the items give the translations' previews. With
// `fileLines` the items are the records of a CSV script: each row gives its record's number and the
// file line it starts on.
void writeRows(std::FILE* stream, const check::Check& check, const std::vector<check::Item>& items,
               const std::vector<std::size_t>* fileLines = nullptr);

// Every item and the summary as one JSON object; with `fileLines`, as writeRows.
QByteArray formatJson(const check::Check& check,
                      const std::vector<std::size_t>* fileLines = nullptr);

} // namespace fit
