#pragma once

#include "core/byte_text.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How many bytes a text costs in a game's encoding, given the translator's table file.
//
// Unlike the strict one-byte loader of the character table, this reader takes the table format
// as the community's dumpers and inserters write it: codes of one to four bytes, entries of
// several characters for one code (DTE/MTE), end tokens and line breaks. A text is encoded
// two ways: greedily (longest entry first, what the common inserters emit) and optimally
// (fewest bytes that still read back as the same text).
namespace encoding {

enum class EntryKind {
    Text,      // HH..=text
    End,       // /HH=<end>, or /<end> with no bytes at all
    LineBreak, // *HH or *HH=<label>: stands for "\n", and for its label when it has one
};

struct TableEntry {
    std::string code;    // big-endian bytes, 0 to 4 of them (0 only for an End token)
    std::u16string text; // "\n" for a line break
    EntryKind kind = EntryKind::Text;
    std::u16string label; // a line break's label; empty otherwise
};

enum class Strategy { Greedy, Optimal };

// One encoded entry: text[start, start + length) became the code of entries()[entry].
struct Piece {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t bytes = 0;
    std::int32_t entry = 0;
};

// One way of encoding a text. Characters no entry covers cost nothing and are skipped, so the
// greedy and optimal figures stay comparable; `uncovered` counts them (a surrogate pair is one
// character) and `firstUncovered` is the UTF-16 index of the first.
struct Encoding {
    std::size_t bytes = 0;
    std::size_t uncovered = 0;
    std::optional<std::size_t> firstUncovered;
    std::vector<Piece> pieces; // in text order; skipped characters have none
};

struct TextCost {
    Encoding greedy;
    Encoding optimal;

    const Encoding& of(Strategy strategy) const {
        return strategy == Strategy::Greedy ? greedy : optimal;
    }
    // The UTF-16 index of the first entry whose bytes no longer fit in `budget` when the whole
    // text is encoded with `strategy`; nothing when the whole text fits.
    std::optional<std::size_t> stopsFitting(std::size_t budget, Strategy strategy) const;
};

class TableEncoding {
public:
    // Reads a table file's bytes. Blank lines and lines starting with '#' are ignored; lines
    // the reader does not understand (linked entries "$..", table switches "!..", "@" names,
    // bad or odd hex, codes over four bytes, no '=', an empty text) are skipped and counted.
    // A UTF-8 byte order mark at the start is dropped; lines end at LF, a CR before it is
    // dropped. An empty `decode` takes each byte as the code point of the same value.
    static TableEncoding read(std::string_view fileBytes, const bytetext::Decoder& decode = {});

    const std::vector<TableEntry>& entries() const { return entries_; }
    std::size_t skippedLines() const { return skipped_; }
    std::optional<std::size_t> firstSkippedLine() const { return firstSkipped_; } // 1-based

    // Greedy: at each position the longest entry text that matches, its shortest code; this is
    // what an inserter writes, whether or not it reads back.
    // Optimal: fewest uncovered characters first, then fewest bytes, over the encodings that
    // a decoder reading the longest code first reads back as the same text. That holds when
    // no code is followed by one that could extend it into a longer code of the table: after
    // code A, code B is forbidden when some longer code is A followed by bytes that agree
    // with B as far as both go. The rule looks at one following code only, so it also
    // forbids some pairs a third code would have made safe; the optimum may therefore cost
    // more than the greedy encoding when codes extend one another, never when they do not.
    // When the rule leaves a character no code that reads back, the optimum counts it as
    // uncovered, though the greedy encoding may cover it. Zero-byte tokens cost nothing and
    // cannot be read back. Safe to call from several threads at once.
    TextCost encode(std::u16string_view text) const;

private:
    struct Edge {
        char16_t unit;
        std::uint32_t node;
    };
    struct Node {
        std::vector<Edge> edges;         // sorted by unit
        std::int32_t firstTerminal = -1; // the entries whose text ends here
    };
    // Entries with the same text form a list, fewest bytes first.
    struct Terminal {
        std::int32_t entry;
        std::int32_t next;
    };
    struct Match {
        std::uint32_t length;
        std::int32_t firstTerminal;
    };

    // A code packed big-endian into the top bytes of 32 bits: two codes agree on their first
    // n bytes when the top 8n bits of their exclusive-or are zero.
    struct PackedCode {
        std::uint32_t bits = 0;
        std::uint32_t length = 0;
    };

    void insertText(std::u16string_view text, std::int32_t entry);
    void linkExtensions();
    void collectMatches(std::u16string_view text, std::size_t at, std::vector<Match>& out) const;
    bool allowedAfter(std::int32_t key, PackedCode code) const;
    struct Scratch;
    void encodeBoth(std::u16string_view text, Scratch& scratch, TextCost& cost) const;

    std::vector<TableEntry> entries_;
    std::vector<Terminal> terminals_;
    std::vector<PackedCode> packed_;    // per entry
    std::vector<std::int32_t> codeKey_; // per entry: its code's index in extensions_, or -1
    // Per key: what follows the code in the longer codes that start with it, by `bits`.
    std::vector<std::vector<PackedCode>> extensions_;
    // The root's child per UTF-16 unit, 0 for none, in pages of 256 units made as needed.
    std::vector<std::vector<std::uint32_t>> rootPages_;
    std::vector<Node> nodes_{Node{}};
    std::size_t skipped_ = 0;
    std::optional<std::size_t> firstSkipped_;
};

} // namespace encoding
