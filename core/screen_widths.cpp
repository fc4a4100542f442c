#include "core/screen_widths.h"

#include "core/byte_text.h"

#include <algorithm>
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

enum class LineResult { Understood, Skipped, UnknownKey };

LineResult readSetting(std::string_view line, WidthFile& file) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return LineResult::Skipped;
    }
    const std::string_view key = trimmed(line.substr(0, eq));
    const std::string_view value = trimmed(line.substr(eq + 1));
    const std::optional<std::uint32_t> number = parseNumber(value);
    if (!key.empty() && key.front() == '@') {
        const std::pair<std::string_view, std::optional<std::uint32_t>*> limits[] = {
            {"@line", &file.line}, {"@lines", &file.lines}};
        const std::pair<std::string_view, std::uint32_t*> settings[] = {
            {"@gap", &file.gap}, {"@default", &file.defaultWidth}};
        for (const auto& [name, target] : limits) {
            if (key == name) {
                *target = number ? number : *target;
                return number ? LineResult::Understood : LineResult::Skipped;
            }
        }
        for (const auto& [name, target] : settings) {
            if (key == name) {
                *target = number.value_or(*target);
                return number ? LineResult::Understood : LineResult::Skipped;
            }
        }
        return LineResult::UnknownKey;
    }
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

WidthFile WidthFile::read(std::string_view fileBytes) {
    WidthFile file;
    bytetext::forEachLine(fileBytes, [&file](std::size_t lineNumber, std::string_view line) {
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            return;
        }
        switch (readSetting(line, file)) {
        case LineResult::Understood:
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
    return file;
}

ScreenMeasure::ScreenMeasure(const encoding::TableEncoding& table, WidthFile widths)
    : table_(table), widths_(std::move(widths)) {
    using encoding::EntryKind;
    const auto& entries = table_.entries();
    const std::uint64_t gap = widths_.gap;
    // A character's own width: its one-character text entry with the shortest code (the
    // file's first on a tie), given or @default; @default when no entry holds it alone.
    std::map<std::u16string_view, std::size_t> single;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.kind == EntryKind::Text && bytetext::charLength(e.text, 0) == e.text.size()) {
            const auto [it, added] = single.try_emplace(e.text, i);
            if (!added && entries[it->second].code.size() > e.code.size()) {
                it->second = i;
            }
        }
    }
    const auto given = [&](std::size_t entry) -> std::optional<std::uint64_t> {
        const auto it = widths_.widths.find(entries[entry].code);
        return it == widths_.widths.end() ? std::nullopt : std::optional(it->second);
    };
    const auto charWidth = [&](std::u16string_view character) -> std::uint64_t {
        const auto it = single.find(character);
        return it == single.end() ? widths_.defaultWidth
                                  : given(it->second).value_or(widths_.defaultWidth);
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

std::uint64_t ScreenMeasure::uncoveredAdvance() const {
    return std::uint64_t{widths_.defaultWidth} + widths_.gap;
}

TextMeasure ScreenMeasure::measure(std::u16string_view text) const {
    TextMeasure result;
    result.lines.push_back(LineWidth{});
    result.boxLines.push_back(1);
    const auto add = [&](std::uint64_t advance, std::size_t at) {
        LineWidth& line = result.lines.back();
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
        add(advance_[entry], piece.start);
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
