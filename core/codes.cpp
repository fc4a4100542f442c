#include "core/codes.h"

#include <algorithm>
#include <map>

namespace codes {

namespace {

// A label up to its first line end, written as one or as the two characters `\n`.
std::u16string_view cut(std::u16string_view label) {
    return label.substr(0, std::min(label.find(u'\n'), label.find(u"\\n")));
}

char16_t closing(char16_t opening) {
    switch (opening) {
    case u'<':
        return u'>';
    case u'[':
        return u']';
    case u'{':
        return u'}';
    default:
        return 0;
    }
}

bool isBracket(char16_t c) {
    return c == u'<' || c == u'>' || c == u'[' || c == u']' || c == u'{' || c == u'}';
}

bool isBlankUnit(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u3000';
}

// `<...>`, `[...]` or `{...}`: at least one character inside, no blank and no bracket.
bool isBracketed(std::u16string_view text) {
    if (text.size() < 3 || closing(text.front()) == 0 || text.back() != closing(text.front())) {
        return false;
    }
    const std::u16string_view inside = text.substr(1, text.size() - 2);
    return std::none_of(inside.begin(), inside.end(),
                        [](char16_t c) { return isBlankUnit(c) || isBracket(c); });
}

bool isRawByte(std::u16string_view token) {
    const auto hex = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    return token.size() == 5 && token.substr(0, 2) == u"<$" && hex(token[2]) && hex(token[3]) &&
           token[4] == u'>';
}

} // namespace

CodeTable::CodeTable(const encoding::TableEncoding& table, const std::set<std::string>& boxCodes)
    : table_(table) {
    const auto& entries = table.entries();
    labels_.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const encoding::TableEntry& entry = entries[i];
        held_.emplace(cut(entry.text));
        held_.emplace(cut(entry.label));
        const std::u16string_view label = cut(entry.text);
        const bool code = (entry.kind == encoding::EntryKind::End && !label.empty()) ||
                          (entry.kind == encoding::EntryKind::Text && isBracketed(label) &&
                           boxCodes.count(entry.code) == 0);
        if (code) {
            labels_[i] = label;
            holdsCodes_ = true;
        }
    }
}

std::vector<std::u16string> CodeTable::codesOf(const std::vector<encoding::Piece>& pieces) const {
    std::vector<std::u16string> found;
    for (const encoding::Piece& piece : pieces) {
        const std::u16string& label = labels_[static_cast<std::size_t>(piece.entry)];
        if (!label.empty()) {
            found.push_back(label);
        }
    }
    return found;
}

// The end token's own text may go on past its label (`<end>\n`): nothing after the token counts.
bool CodeTable::endsWithEnd(std::u16string_view text,
                            const std::vector<encoding::Piece>& pieces) const {
    std::size_t end = text.size();
    while (end > 0 && isBlankUnit(text[end - 1])) {
        --end;
    }
    return std::any_of(pieces.rbegin(), pieces.rend(), [&](const encoding::Piece& piece) {
        const auto entry = static_cast<std::size_t>(piece.entry);
        return table_.entries()[entry].kind == encoding::EntryKind::End &&
               !labels_[entry].empty() && piece.start < end && piece.start + piece.length >= end;
    });
}

std::vector<std::u16string> CodeTable::unknownTokens(std::u16string_view text) const {
    std::vector<std::u16string> unknown;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char16_t close = closing(text[at]);
        if (close == 0) {
            continue;
        }
        std::size_t end = at + 1;
        while (end < text.size() && !isBlankUnit(text[end]) && !isBracket(text[end])) {
            ++end;
        }
        if (end < text.size() && text[end] == close && end > at + 1) {
            const std::u16string_view token = text.substr(at, end - at + 1);
            if (held_.count(token) == 0 && !isRawByte(token)) {
                unknown.emplace_back(token);
            }
            at = end;
        }
    }
    return unknown;
}

TextCodes textCodes(const CodeTable& table, std::u16string_view text,
                    const std::vector<encoding::Piece>& pieces, bool unknown) {
    return TextCodes{table.codesOf(pieces), table.endsWithEnd(text, pieces),
                     unknown ? table.unknownTokens(text) : std::vector<std::u16string>{}};
}

CodeDifferences compareCodes(const TextCodes& original, const TextCodes& translation, bool order) {
    CodeDifferences differences;
    differences.unknown = translation.unknown;
    differences.endNotLast = original.endsWithEnd && !translation.endsWithEnd;
    if (original.codes == translation.codes) {
        return differences; // the common case, without counting
    }
    // Each side's codes less the other's, as multisets, in the side's own order.
    const auto less = [](const std::vector<std::u16string>& side,
                         const std::vector<std::u16string>& other) {
        std::map<std::u16string_view, std::size_t> available;
        for (const std::u16string& code : other) {
            ++available[code];
        }
        std::vector<std::u16string> left;
        for (const std::u16string& code : side) {
            auto it = available.find(code);
            if (it != available.end() && it->second > 0) {
                --it->second;
            } else {
                left.push_back(code);
            }
        }
        return left;
    };
    differences.missing = less(original.codes, translation.codes);
    differences.extra = less(translation.codes, original.codes);
    differences.orderDiffers = order && differences.missing.empty() && differences.extra.empty();
    return differences;
}

bool isBlank(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), isBlankUnit);
}

} // namespace codes
