#include "core/csv_script.h"

#include "core/byte_text.h"

#include <csv.h>

#include <algorithm>
#include <limits>
#include <string>

namespace script {

namespace {

struct Record {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

// What libcsv's callbacks fill in while the file is fed to it one line at a time, so that
// each record knows the line it started on.
struct Collector {
    std::vector<Record> records;
    Record current;
    bool inRecord = false;
    std::size_t line = 0; // the line being fed
};

void onField(void* data, std::size_t size, void* collector) {
    auto& c = *static_cast<Collector*>(collector);
    std::string field(static_cast<const char*>(data), data == nullptr ? 0 : size);
    // A line end inside a quoted field stands for one line break, whichever the file used.
    std::size_t cr = 0;
    while ((cr = field.find("\r\n", cr)) != std::string::npos) {
        field.erase(cr, 1);
    }
    c.current.fields.push_back(std::move(field));
}

void onRecord(int /*terminator*/, void* collector) {
    auto& c = *static_cast<Collector*>(collector);
    c.records.push_back(std::move(c.current));
    c.current = Record{};
    c.inRecord = false;
}

// RFC 4180 keeps the blanks around a field.
int noBlanks(unsigned char /*c*/) {
    return 0;
}

std::optional<std::vector<Record>> parse(std::string_view text, char separator, CsvError& error) {
    csv_parser parser{};
    if (csv_init(&parser, 0) != 0) {
        error.message = "the CSV reader could not start";
        return std::nullopt;
    }
    csv_set_space_func(&parser, noBlanks);
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    Collector collector;
    bool ok = true;
    while (ok && !text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::string_view chunk = text.substr(0, lf == std::string_view::npos ? lf : lf + 1);
        text.remove_prefix(chunk.size());
        ++collector.line;
        // libcsv skips lines that hold nothing between records.
        if (!collector.inRecord && chunk != "\n" && chunk != "\r\n") {
            collector.inRecord = true;
            collector.current.line = collector.line;
        }
        ok = csv_parse(&parser, chunk.data(), chunk.size(), onField, onRecord, &collector) ==
             chunk.size();
    }
    // Strict only at the end: a quote still open when the file ends is an error rather than a
    // field that swallowed the rest of the file, while quotes inside unquoted fields stay
    // accepted.
    csv_set_opts(&parser, CSV_STRICT | CSV_STRICT_FINI);
    const bool finished = ok && csv_fini(&parser, onField, onRecord, &collector) == 0;
    const bool unclosed = ok && !finished && csv_error(&parser) == CSV_EPARSE;
    if (unclosed) {
        // The line names where the record starts: the quote opened there runs to the end.
        error = CsvError{collector.current.line, "a quote opened in this record is never closed"};
    } else if (!finished) {
        error.message = csv_strerror(csv_error(&parser));
    }
    ok = finished;
    csv_free(&parser);
    if (!ok) {
        return std::nullopt;
    }
    return std::move(collector.records);
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

std::optional<std::uint64_t> wholeNumber(std::string_view text) {
    return bytetext::parseDecimal(text, std::numeric_limits<std::uint64_t>::max());
}

// The 0-based index of a column named or numbered by `wanted`; a number must lie within the
// header.
std::optional<std::size_t> findColumn(const std::vector<std::string>& header,
                                      std::string_view wanted) {
    if (const auto number = wholeNumber(wanted)) {
        return *number >= 1 && *number <= header.size() ? std::optional<std::size_t>(*number - 1)
                                                        : std::nullopt;
    }
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (lowered(header[i]) == lowered(wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

// The separator that splits the header line into the most of `names` (without regard to ASCII
// case or quotes around a name): comma, semicolon or tab, the first of them on a tie.
char guessSeparator(std::string_view text, const std::vector<std::string>& names) {
    const std::string_view header = text.substr(0, text.find('\n'));
    char best = ',';
    std::size_t bestCount = 0;
    for (const char separator : {',', ';', '\t'}) {
        std::size_t count = 0;
        for (std::size_t from = 0; from <= header.size();) {
            const std::size_t to = std::min(header.find(separator, from), header.size());
            std::string field = lowered(header.substr(from, to - from));
            field.erase(0, field.find_first_not_of("\" \r"));
            field.erase(field.find_last_not_of("\" \r") + 1);
            count += std::count(names.begin(), names.end(), field);
            from = to + 1;
        }
        if (count > bestCount) {
            best = separator;
            bestCount = count;
        }
    }
    return best;
}

std::string separatorName(char separator) {
    return separator == '\t' ? "tab" : std::string("\"") + separator + '"';
}

} // namespace

CsvRead readCsv(std::string_view text, const CsvColumns& columns) {
    const auto failed = [](std::size_t line, std::string message) {
        return CsvRead{{}, CsvError{line, std::move(message)}};
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string> names;
    for (const std::string* name : {&columns.original, &columns.translation, &columns.limit}) {
        names.push_back(lowered(*name));
    }
    names.back() = columns.limit.empty() ? "limit" : names.back();
    const char separator = columns.separator.value_or(guessSeparator(text, names));
    CsvError error;
    const auto records = parse(text, separator, error);
    if (!records) {
        return CsvRead{{}, error};
    }
    if (records->empty()) {
        return failed(1, "the file has no header row");
    }
    const Record& header = records->front();
    struct Wanted {
        std::string_view name;
        std::string asked; // as given: a name or a number counted from 1
        std::optional<std::size_t> index;
    };
    Wanted wanted[] = {
        {"original", columns.original, std::nullopt},
        {"translation", columns.translation, std::nullopt},
        {"limit", columns.limit.empty() ? std::string("limit") : columns.limit, std::nullopt}};
    for (Wanted& column : wanted) {
        column.index = findColumn(header.fields, column.asked);
        const bool optional = &column == &wanted[2] && columns.limit.empty();
        if (!column.index && !optional) {
            const auto number = wholeNumber(column.asked);
            if (!number) {
                return failed(header.line, "the header has no column " + column.asked +
                                               " for the " + std::string(column.name) +
                                               " (its fields split at " + separatorName(separator) +
                                               "; --separator gives another)");
            }
            const std::string why =
                *number == 0
                    ? "columns count from 1"
                    : "the header has " + std::to_string(header.fields.size()) + " columns";
            return failed(header.line, "no column " + column.asked + ": " + why);
        }
    }

    CsvRead read;
    for (std::size_t r = 1; r < records->size(); ++r) {
        const Record& record = (*records)[r];
        for (const Wanted& column : wanted) {
            if (column.index && *column.index >= record.fields.size()) {
                return failed(record.line, "record " + std::to_string(r) + " has no " +
                                               std::string(column.name) + " column");
            }
        }
        CsvRow row;
        row.record = r;
        row.line = record.line;
        row.original = record.fields[*wanted[0].index];
        row.translation = record.fields[*wanted[1].index];
        if (wanted[2].index && !record.fields[*wanted[2].index].empty()) {
            row.limit = wholeNumber(record.fields[*wanted[2].index]);
            if (!row.limit) {
                return failed(record.line, "record " + std::to_string(r) +
                                               ": the limit is not a number of bytes");
            }
        }
        read.rows.push_back(std::move(row));
    }
    return read;
}

} // namespace script
