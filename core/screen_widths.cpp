#include "core/screen_widths.h"

#include "core/byte_text.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

namespace screen {

namespace {

constexpr std::size_t kMaxCodeBytes = 4;

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<std::uint32_t> parseNumber(std::string_view digits) {
    const auto value = bytetext::parseDecimal(digits, std::numeric_limits<std::uint32_t>::max());
    return value ? std::optional(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

bool isBoxWord(std::string_view value) {
    return value.size() == 3 && (value[0] | 0x20) == 'b' && (value[1] | 0x20) == 'o' &&
           (value[2] | 0x20) == 'x';
}

template <typename Target> bool setNumber(std::string_view value, Target& target) {
    const std::optional<std::uint32_t> number = parseNumber(value);
    if (number) {
        target = *number;
    }
    return number.has_value();
}

// An `@` key this reader knows: what its value must be (for the error message, "@key=value is
// not <expected>") and how a value is taken, false when it is not of that kind. A key with
// another kind of value (a path, a size such as 8x16) adds a row with its own reader.
struct KnownKey {
    std::string_view name;
    const char* expected;
    bool (*take)(std::string_view value, WidthFile& file);
};

// WxH, both whole numbers from 1.
bool setCell(std::string_view value, WidthFile& file) {
    const std::size_t x = value.find_first_of("xX");
    const auto width = parseNumber(value.substr(0, x));
    const auto height =
        x == std::string_view::npos ? std::nullopt : parseNumber(value.substr(x + 1));
    if (!width || !height || *width == 0 || *height == 0) {
        return false;
    }
    file.cellWidth = width;
    file.cellHeight = height;
    return true;
}

bool setFirstCode(std::string_view value, WidthFile& file) {
    const std::optional<std::string> code = bytetext::parseHexCode(value, kMaxCodeBytes);
    if (!code) {
        return false;
    }
    std::uint32_t number = 0;
    for (const char byte : *code) {
        number = number << 8 | static_cast<unsigned char>(byte);
    }
    file.firstCode = number;
    return true;
}

constexpr KnownKey kKnownKeys[] = {
    {"@line", "a whole number",
     [](std::string_view value, WidthFile& file) { return setNumber(value, file.line); }},
    {"@lines", "a whole number",
     [](std::string_view value, WidthFile& file) { return setNumber(value, file.lines); }},
    {"@gap", "a whole number",
     [](std::string_view value, WidthFile& file) { return setNumber(value, file.gap); }},
    {"@default", "a whole number",
     [](std::string_view value, WidthFile& file) { return setNumber(value, file.defaultWidth); }},
    {"@font", "a path",
     [](std::string_view value, WidthFile& file) {
         if (value.empty()) {
             return false;
         }
         file.fontSheet = std::string(value);
         return true;
     }},
    {"@cell", "a size WxH in whole numbers from 1", setCell},
    {"@first", "a code in hex", setFirstCode},
    {"@height", "a whole number from 1",
     [](std::string_view value, WidthFile& file) {
         const std::optional<std::uint32_t> number = parseNumber(value);
         file.lineHeight = number && *number > 0 ? number : file.lineHeight;
         return number && *number > 0;
     }},
};

enum class LineResult { Understood, Skipped, UnknownKey, Error };

// Reads one setting into `read.file`; an error goes into `read.error` unless one came before.
LineResult readSetting(std::string_view line, std::size_t lineNumber, WidthFileRead& read) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return LineResult::Skipped;
    }
    const std::string_view key = trimmed(line.substr(0, eq));
    const std::string_view value = trimmed(line.substr(eq + 1));
    if (!key.empty() && key.front() == '@') {
        const auto known = std::find_if(std::begin(kKnownKeys), std::end(kKnownKeys),
                                        [key](const KnownKey& k) { return k.name == key; });
        if (known == std::end(kKnownKeys)) {
            return LineResult::UnknownKey;
        }
        if (known->take(value, read.file)) {
            return LineResult::Understood;
        }
        if (!read.error) {
            read.error = WidthFileError{WidthFileError::Kind::BadValue, std::string(key),
                                        std::string(value), known->expected, lineNumber};
        }
        return LineResult::Error;
    }
    WidthFile& file = read.file;
    const std::optional<std::uint32_t> number = parseNumber(value);
    std::optional<std::string> code = bytetext::parseHexCode(key, kMaxCodeBytes);
    if (!code || (!number && !isBoxWord(value))) {
        return LineResult::Skipped;
    }
    if (number) {
        file.boxCodes.erase(*code);
        file.widths[*code] = *number;
    } else {
        file.widths.erase(*code);
        file.boxCodes.insert(*code);
    }
    return LineResult::Understood;
}

} // namespace

std::vector<encoding::Piece> greedyPieces(const encoding::TableEncoding& table,
                                          std::u16string_view text) {
    return table.encode(text, encoding::EncodeRequest{true, false, true}).greedy.pieces;
}

WidthFileRead WidthFile::read(std::string_view fileBytes) {
    WidthFileRead read;
    bytetext::forEachLine(fileBytes, [&read](std::size_t lineNumber, std::string_view line) {
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            return;
        }
        WidthFile& file = read.file;
        switch (readSetting(line, lineNumber, read)) {
        case LineResult::Understood:
        case LineResult::Error:
            break;
        case LineResult::Skipped:
            if (file.skippedLines++ == 0) {
                file.firstSkippedLine = lineNumber;
            }
            break;
        case LineResult::UnknownKey:
            if (file.unknownKeys++ == 0) {
                file.firstUnknownKeyLine = lineNumber;
            }
            break;
        }
    });
    if (!read.error && !read.file.line) {
        read.error = WidthFileError{WidthFileError::Kind::NoLineRoom, "@line", {}, {}, 0};
    }
    const WidthFile& file = read.file;
    if (!read.error && file.fontSheet && (!file.cellWidth || !file.firstCode)) {
        read.error = WidthFileError{WidthFileError::Kind::FontKeyMissing,
                                    "@font",
                                    file.cellWidth ? "@first" : "@cell",
                                    {},
                                    0};
    }
    return read;
}

std::string WidthFileError::message() const {
    if (kind == Kind::NoLineRoom) {
        return "no line room (" + key + ")";
    }
    if (kind == Kind::FontKeyMissing) {
        return key + " without " + value;
    }
    return key + '=' + value + " is not " + expected + " (line " + std::to_string(line) + ')';
}

ScreenMeasure::ScreenMeasure(const encoding::TableEncoding& table, WidthFile widths)
    : table_(table), widths_(std::move(widths)) {
    using encoding::EntryKind;
    const auto& entries = table_.entries();
    const std::uint64_t gap = widths_.gap;
    // A character's own width: its one-character text entry with the shortest code (the
    // file's first on a tie), given or @default; @default when no entry holds it alone.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.kind == EntryKind::Text && bytetext::charLength(e.text, 0) == e.text.size()) {
            const auto [it, added] = single_.try_emplace(e.text, i);
            if (!added && entries[it->second].code.size() > e.code.size()) {
                it->second = i;
            }
        }
    }
    const auto given = [this](std::size_t entry) -> std::optional<std::uint64_t> {
        return givenWidth(entry);
    };
    const auto charWidth = [&](std::u16string_view character) -> std::uint64_t {
        const auto own = ownEntry(character);
        return own ? given(*own).value_or(widths_.defaultWidth) : widths_.defaultWidth;
    };
    advance_.resize(entries.size());
    box_.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        box_[i] = widths_.boxCodes.count(e.code) > 0;
        if (const auto width = given(i)) {
            advance_[i] = *width + gap;
        } else if (e.kind == EntryKind::Text && !box_[i]) {
            for (std::size_t at = 0; at < e.text.size();) {
                const std::size_t length = bytetext::charLength(e.text, at);
                advance_[i] += charWidth(std::u16string_view(e.text).substr(at, length)) + gap;
                at += length;
            }
        }
        const std::u16string& shown = e.kind == EntryKind::LineBreak ? e.label : e.text;
        if (box_[i] && !boxText_ && !shown.empty()) {
            boxText_ = shown;
        } else if (!box_[i] && e.kind == EntryKind::LineBreak && !lineBreakText_ &&
                   !e.label.empty()) {
            lineBreakText_ = e.label;
        }
    }
}

std::optional<std::uint32_t> ScreenMeasure::givenWidth(std::size_t entry) const {
    const auto it = widths_.widths.find(table_.entries()[entry].code);
    return it == widths_.widths.end() ? std::nullopt : std::optional(it->second);
}

std::optional<std::size_t> ScreenMeasure::ownEntry(std::u16string_view character) const {
    const auto it = single_.find(character);
    return it == single_.end() ? std::nullopt : std::optional(it->second);
}

std::uint64_t ScreenMeasure::uncoveredAdvance() const {
    return std::uint64_t{widths_.defaultWidth} + widths_.gap;
}

TextMeasure ScreenMeasure::measure(std::u16string_view text, std::vector<Placed>* placed) const {
    TextMeasure result;
    result.lines.push_back(LineWidth{});
    result.boxLines.push_back(1);
    const auto add = [&](std::uint64_t advance, std::size_t at,
                         std::optional<std::size_t> entry = std::nullopt) {
        LineWidth& line = result.lines.back();
        if (placed) {
            placed->push_back(Placed{at, entry, result.lines.size() - 1, line.width});
        }
        line.width += advance;
        if (!lineFits(line.width) && !result.firstOverflow) {
            result.firstOverflow = at;
        }
    };
    const auto newLine = [&](std::size_t start, std::size_t at, bool newBox) {
        if (newBox) {
            result.boxLines.push_back(0);
        }
        ++result.boxLines.back();
        result.lines.push_back(LineWidth{start, 0, result.boxLines.size() - 1});
        if (!boxFits(result.boxLines.back()) && !result.firstOverflow) {
            result.firstOverflow = at;
        }
    };
    const auto skipUncovered = [&](std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to; at += bytetext::charLength(text, at)) {
            add(uncoveredAdvance(), at);
        }
    };

    std::size_t at = 0;
    for (const encoding::Piece& piece : greedyPieces(table_, text)) {
        skipUncovered(at, piece.start);
        const auto entry = static_cast<std::size_t>(piece.entry);
        at = piece.start + piece.length;
        add(advance_[entry], piece.start, entry);
        if (box_[entry]) {
            newLine(at, piece.start, true);
        } else if (table_.entries()[entry].kind == encoding::EntryKind::LineBreak) {
            newLine(at, piece.start, false);
        }
    }
    skipUncovered(at, text.size());

    for (std::size_t i = 1; i < result.lines.size(); ++i) {
        if (result.lines[i].width > result.widest()) {
            result.widestLine = i;
        }
    }
    for (std::size_t i = 1; i < result.boxLines.size(); ++i) {
        if (result.boxLines[i] > result.fullest()) {
            result.fullestBox = i;
        }
    }
    return result;
}

} // namespace screen
