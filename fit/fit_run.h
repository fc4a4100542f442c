#pragma once

#include <QStringList>

#include <cstdio>

namespace fit {

// The whole program but for main(): reads the files, checks every line, prints the rows or
// the JSON to `out` and a one-line message to `err` on bad input. Returns the exit code:
// 0 when every line fits, 1 when some do not, 2 on bad input.
int run(const QStringList& arguments, std::FILE* out, std::FILE* err);

} // namespace fit
