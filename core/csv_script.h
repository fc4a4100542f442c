#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Scripts kept as CSV: a header row naming the columns, then one string per record with its
// original, its translation and, optionally, a limit in bytes. Fields are read as RFC 4180
// says, by libcsv: quoted fields may hold commas, doubled quotes and line ends (CR LF or LF,
// both given back as "\n"); blanks around fields are kept.
namespace script {

struct CsvRow {
    std::size_t record = 0; // 1 for the first record after the header
    std::size_t line = 0;   // the file line the record starts on, 1-based
    std::string original;   // UTF-8, as the file's text was given
    std::string translation;
    std::optional<std::uint64_t> limit; // an empty cell gives none
};

struct CsvError {
    std::size_t line = 0;
    std::string message;
};

struct CsvRead {
    std::vector<CsvRow> rows;
    std::optional<CsvError> error; // the rows are empty when set
};

// Which columns hold what: each a header name (compared without regard to ASCII case) or a
// number counted from 1. An empty `limit` looks for a column named "limit" and goes without
// one when the header has none.
struct CsvColumns {
    std::string original = "original";
    std::string translation = "translation";
    std::string limit;
    // Between fields. Without one, the header line decides: comma, semicolon or tab, whichever
    // splits it into the most of the column names looked for (a comma on a tie), so that the
    // files of spreadsheets in every locale read alike.
    std::optional<char> separator;
};

// `text` is the whole file as UTF-8 (a byte order mark at the start is dropped).
CsvRead readCsv(std::string_view text, const CsvColumns& columns = {});

} // namespace script
