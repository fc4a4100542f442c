#pragma once

#include "core/byte_text.h"

#include <array>
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
// several characters for one code (DTE/MTE), end tokens and line breaks.
//
// An encoding of a text is a sequence of items left to right: an entry whose text (or a line
// break's label) matches at the current position, or, only where no entry matches there, one
// skipped character (a code point; it costs nothing and counts as uncovered). Its bytes are
// the codes of its entries one after the other. They read back when a reader that starts at
// the first byte and each time takes the longest code of the table the remaining bytes start
// with gets exactly the codes that were written; the text's bytes end the stream.
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
    std::size_t line = 0; // 1-based line of the table file; 0 when not read from a file
};

enum class Strategy { Greedy, Optimal };

// One encoded entry: text[start, start + length) became the code of entries()[entry].
struct Piece {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t bytes = 0;
    std::int32_t entry = 0;
};

// Where the reader first takes a longer code than the one written: the written piece starts
// at UTF-16 index `at`, and the reader takes there the code of entries()[entry] instead
// (the first entry of the file with that code), which shows as `reads`.
struct Misread {
    std::size_t at = 0;
    std::int32_t entry = 0;
    std::u16string reads;
};

// One way of encoding a text: `uncovered` counts the skipped characters and `firstUncovered`
// is the UTF-16 index of the first.
struct Encoding {
    std::size_t bytes = 0;
    std::size_t uncovered = 0;
    std::optional<std::size_t> firstUncovered;
    std::vector<Piece> pieces; // in text order, when asked for; skipped characters have none
};

// What encode() works out; the rest of TextCost stays empty.
struct EncodeRequest {
    bool greedy = true;
    bool optimal = true;
    bool pieces = true; // the pieces of each encoding computed; a long text without is lighter
};

struct TextCost {
    // At each position the longest entry text that matches, its shortest code, the file's
    // first among equal lengths: what an inserter writes. `misread` when it does not read back.
    Encoding greedy;
    std::optional<Misread> misread;
    // Fewest uncovered characters, then fewest bytes, among the encodings that read back;
    // among those, the one whose first uncovered character comes first. When none reads
    // back, `cannotBeWrittenAt` is the furthest UTF-16 index that the start of an encoding
    // whose bytes read back so far reaches, and `optimal` the best encoding read back or not.
    Encoding optimal;
    std::optional<std::size_t> cannotBeWrittenAt;

    const Encoding& of(Strategy strategy) const {
        return strategy == Strategy::Greedy ? greedy : optimal;
    }
};

// Counted per kind: how many entries, and the first one's line.
struct TableWarning {
    std::size_t count = 0;
    std::size_t firstLine = 0;
};

struct TableWarnings {
    TableWarning sameCodeOtherText; // a code an earlier entry gives another text (or label)
    TableWarning prefixCode;        // a code that starts a longer code: lines may be misread
};

class TableEncoding {
public:
    // Reads a table file's bytes. Blank lines and lines starting with '#' are ignored; lines
    // the reader does not understand (linked entries "$..", table switches "!..", "@" names,
    // bad or odd hex, codes over four bytes, no '=', an empty text) are skipped and counted.
    // A UTF-8 byte order mark at the start is dropped; lines end at LF, a CR before it is
    // dropped. An empty `decode` takes each byte as the code point of the same value.
    static TableEncoding read(std::string_view fileBytes, const bytetext::Decoder& decode = {});
    // A table of the given entries, in the file's order. Entries with an empty text, a code of
    // more than four bytes or no code when they are not an End token are left out.
    static TableEncoding build(std::vector<TableEntry> entries);

    const std::vector<TableEntry>& entries() const { return entries_; }
    std::size_t skippedLines() const { return skipped_; }
    std::optional<std::size_t> firstSkippedLine() const { return firstSkipped_; } // 1-based
    const TableWarnings& warnings() const { return warnings_; }

    // Works out what `request` asks for. Safe to call from several threads at once. Without
    // pieces, the memory used grows with the longest entry text, not with the text.
    TextCost encode(std::u16string_view text, EncodeRequest request = {}) const;
    // The same into `cost`, whatever it held before, reusing its memory.
    void encode(std::u16string_view text, EncodeRequest request, TextCost& cost) const;

private:
    // Byte strings of one to four bytes, each held as its big-endian value.
    class ByteSet {
    public:
        void add(std::uint32_t length, std::uint32_t value);
        void finish(); // after the last add()
        bool contains(std::uint32_t length, std::uint32_t value) const;

    private:
        std::vector<std::uint64_t> bits_[2];   // one and two bytes: 256 and 65,536 bits
        std::vector<std::uint32_t> sorted_[2]; // three and four bytes
    };
    struct Edge {
        char16_t unit;
        std::uint32_t node;
    };
    struct Node {
        std::vector<Edge> edges;         // sorted by unit
        std::int32_t firstTerminal = -1; // the entries whose text ends here
    };
    // The same tree once built, its edges in one array: node i's are
    // edges_[first, first + count).
    struct FlatNode {
        std::uint32_t first;
        std::uint32_t count;
        std::int32_t firstTerminal;
        std::int32_t greedyEntry; // the first terminal's entry, -1 for none
    };
    struct Code {
        std::uint32_t value;  // big-endian
        std::uint32_t length; // bytes
        bool startsLonger;    // a longer code starts with this one
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
    struct Scratch;
    struct Walk;

    void insertText(std::u16string_view text, std::int32_t entry);
    void index();
    void indexPairs();
    void collectMatches(std::u16string_view text, std::size_t at, std::vector<Match>& out) const;
    void encodeGreedy(std::u16string_view text, bool pieces, TextCost& cost) const;
    void encodeOptimal(std::u16string_view text, bool pieces, TextCost& cost,
                       Scratch& scratch) const;
    bool searchOptimal(std::u16string_view text, bool pieces, bool readBack, Encoding& result,
                       std::size_t& furthest, Scratch& scratch) const;
    std::uint32_t follow(std::uint32_t state, std::uint32_t length, std::uint32_t value) const;
    std::int32_t firstEntryWith(std::uint32_t length, std::uint32_t value) const;
    std::u16string shownText(std::int32_t entry) const;

    std::vector<TableEntry> entries_;
    std::vector<Terminal> terminals_;
    std::vector<Code> code_; // per entry
    // The root's child per UTF-16 unit, 0 for none, in pages of 256 units made as needed.
    std::vector<std::vector<std::uint32_t>> rootPages_;
    std::vector<Node> nodes_{Node{}}; // while the table is built
    std::vector<FlatNode> flat_;
    std::vector<Edge> edges_;
    // The children of nodes with many, by (node, unit): open addressing, half full at most.
    struct Slot {
        std::uint64_t key = 0; // node << 16 | unit, plus one; 0 for an empty slot
        std::uint32_t child = 0;
    };
    std::vector<Slot> childSlots_;
    // For two units below 256: the node they lead to from the root (0 for none, or when it
    // has no children) and the greedy choice among the texts of one and two units they start
    // with; most scripts are mostly Latin-1. A row per first unit that starts a text, at
    // pairRow_[first], with a column per unit that is the second of a text (pairColumn_) and
    // column 0 for any other; the other first units share row 0, which holds no choice.
    struct Pair {
        std::uint32_t node;
        std::int32_t choice; // entry * 2 + its text's length - 1; -1 for none
    };
    std::vector<Pair> pairs_;
    std::array<std::uint32_t, 256> pairRow_{};
    std::array<std::uint16_t, 256> pairColumn_{};
    std::uint32_t childShift_ = 64;
    std::size_t longestText_ = 1; // in UTF-16 units, at least 2 for a surrogate pair
    ByteSet codes_;
    ByteSet openPrefixes_; // byte strings a longer code starts with
    bool prefixCodes_ = false;
    // (length << 32 | value, first entry with that code), sorted
    std::vector<std::pair<std::uint64_t, std::int32_t>> firstEntry_;
    std::size_t skipped_ = 0;
    std::optional<std::size_t> firstSkipped_;
    TableWarnings warnings_;
};

} // namespace encoding
