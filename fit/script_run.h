#pragma once

#include "core/screen_widths.h"
#include "fit/fit_io.h"
#include "fit/fit_options.h"
#include "fit/preview_run.h"

#include <cstdio>

namespace fit {

// Reads and checks a dump (--script) or a CSV script (--csv), prints the report to `out`.
// With `widths`, the translations are held to the screen too; with `preview`, their pictures are
// written after the report.
// Returns the exit code: 0 when everything fits, 1 when something does not, 2 on bad input.
int runRealScript(const FitOptions& options, ScriptReader& reader,
                  const encoding::TableEncoding& originalTable,
                  const encoding::TableEncoding& translationTable, const screen::WidthFile* widths,
                  const Preview* preview, std::FILE* out);

} // namespace fit
