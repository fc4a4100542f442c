#pragma once

#include "core/table_encoding.h"

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The game's codes in a text: names, pauses, colours, the end. A translation must keep the
// original's, or the game shows no name, stalls, or writes past the string.
//
// A code is an end token (its label; a token of no bytes too) or an entry whose text is a
// bracketed label: `<...>`, `[...]` or `{...}` with at least one character inside and no blank
// (in a dump, a raw byte `<$XX>` is such an entry). Labels are compared by their text up to the
// first line end (a line end, or the two characters `\n` as table files write it), so that
// `<end>\n` in one table and `<end>` in another are the same code. Line breaks and box codes are
// layout, not codes: a translator may wrap and box a text anew.
namespace codes {

// A table's codes, ready to find them in texts. Holds a reference to `table`.
class CodeTable {
public:
    // `boxCodes`: the codes (bytes, big-endian) a width file marks as starting a new box.
    CodeTable(const encoding::TableEncoding& table, const std::set<std::string>& boxCodes = {});

    // Whether the table has any code at all.
    bool holdsCodes() const { return holdsCodes_; }

    // The labels of the codes in a text encoded into `pieces` (greedy, as inserters write), in
    // the text's order.
    std::vector<std::u16string> codesOf(const std::vector<encoding::Piece>& pieces) const;
    // Whether the text ends with an end token: nothing but blanks and line ends after it.
    bool endsWithEnd(std::u16string_view text, const std::vector<encoding::Piece>& pieces) const;
    // The bracketed tokens of `text` that no entry of the table holds (an inserter would write
    // them as their letters), in order; `<$XX>` is never one.
    std::vector<std::u16string> unknownTokens(std::u16string_view text) const;

private:
    const encoding::TableEncoding& table_;
    std::vector<std::u16string> labels_; // per entry: its label when it is a code, else empty
    std::set<std::u16string, std::less<>> held_; // every entry's text and label, cut
    bool holdsCodes_ = false;
};

// What a text says about its codes.
struct TextCodes {
    std::vector<std::u16string> codes; // in order
    bool endsWithEnd = false;
    std::vector<std::u16string> unknown; // worked out for translations only
};

// A translation's codes against its original's.
struct CodeDifferences {
    std::vector<std::u16string> missing; // the original's less the translation's, as multisets
    std::vector<std::u16string> extra;   // the other way round
    std::vector<std::u16string> unknown;
    bool endNotLast = false;   // the original ends with an end token, the translation does not
    bool orderDiffers = false; // only when asked for: the same codes in another order

    bool any() const {
        return !missing.empty() || !extra.empty() || !unknown.empty() || endNotLast || orderDiffers;
    }
};

TextCodes textCodes(const CodeTable& table, std::u16string_view text,
                    const std::vector<encoding::Piece>& pieces, bool unknown);

// `missing` in the original's order, `extra` in the translation's.
CodeDifferences compareCodes(const TextCodes& original, const TextCodes& translation, bool order);

// A text is work not done yet when it holds nothing but blanks and line ends.
bool isBlank(std::u16string_view text);

} // namespace codes
