#include "core/table_encoding.h"

#include "core/byte_text.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <map>
#include <tuple>
#include <utility>

namespace encoding {

namespace {

constexpr std::uint32_t kMaxCodeBytes = 4;

std::optional<std::string> parseCode(std::string_view hex) {
    return bytetext::parseHexCode(hex, kMaxCodeBytes);
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::optional<TableEntry> parseLine(std::string_view line, const bytetext::Decoder& decode) {
    const char lead = line.front();
    if (lead == '*') {
        const std::string_view rest = line.substr(1);
        const std::size_t eq = rest.find('=');
        auto code = parseCode(rest.substr(0, eq));
        if (!code) {
            return std::nullopt;
        }
        const std::u16string label =
            eq == std::string_view::npos ? std::u16string() : decode(rest.substr(eq + 1));
        return TableEntry{std::move(*code), u"\n", EntryKind::LineBreak, label};
    }
    if (lead == '/') {
        const std::string_view rest = line.substr(1);
        const std::size_t eq = rest.find('=');
        if (eq == std::string_view::npos) {
            // "/<end>": a token that stands for no bytes. A bare "/FF" names no text.
            if (parseCode(rest)) {
                return std::nullopt;
            }
            return TableEntry{{}, decode(rest), EntryKind::End, {}};
        }
        auto code = parseCode(rest.substr(0, eq));
        if (!code) {
            return std::nullopt;
        }
        return TableEntry{std::move(*code), decode(rest.substr(eq + 1)), EntryKind::End, {}};
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    auto code = parseCode(line.substr(0, eq));
    if (!code) {
        return std::nullopt;
    }
    return TableEntry{std::move(*code), decode(line.substr(eq + 1)), EntryKind::Text, {}};
}

// A character is a code point: a surrogate pair is skipped whole.
using bytetext::charLength;

void skipUncovered(Encoding& encoding, std::size_t at) {
    if (encoding.uncovered++ == 0) {
        encoding.firstUncovered = at;
    }
}

// A byte string's big-endian value and the mask of its last `length` bytes.
constexpr std::uint64_t lowBytes(std::uint32_t length) {
    return length >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * length)) - 1;
}

std::uint32_t valueOf(std::string_view code) {
    std::uint32_t value = 0;
    for (const char byte : code) {
        value = value << 8 | static_cast<unsigned char>(byte);
    }
    return value;
}

// The state of the read-back test after some codes were written: the bytes from the first
// code start that a later code could still turn into the start of a longer code (at most
// three), which of them start a code, and how many there are. Packed as 24 bits of bytes,
// 2 bits of length and 3 bits of starts; no pending start is 0.
constexpr std::uint32_t kDead = 0xFFFFFFFF;
constexpr std::uint32_t kNoPosition = 0xFFFFFFFF;

// A node with more children than this finds them in a hash table rather than by a scan.
constexpr std::uint32_t kScannedChildren = 4;

std::size_t slotOf(std::uint64_t key, std::uint32_t shift) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> shift);
}

constexpr std::uint32_t packState(std::uint64_t bytes, std::uint32_t length, std::uint32_t starts) {
    return static_cast<std::uint32_t>(bytes) | length << 24 | starts << 26;
}

} // namespace

void TableEncoding::ByteSet::add(std::uint32_t length, std::uint32_t value) {
    if (length <= 2) {
        auto& bits = bits_[length - 1];
        bits.resize(length == 1 ? 4 : 1024);
        bits[value >> 6] |= std::uint64_t{1} << (value & 63);
    } else {
        sorted_[length - 3].push_back(value);
    }
}

void TableEncoding::ByteSet::finish() {
    for (auto& values : sorted_) {
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
    }
}

bool TableEncoding::ByteSet::contains(std::uint32_t length, std::uint32_t value) const {
    if (length <= 2) {
        const auto& bits = bits_[length - 1];
        return !bits.empty() && (bits[value >> 6] >> (value & 63) & 1) != 0;
    }
    const auto& values = sorted_[length - 3];
    return std::binary_search(values.begin(), values.end(), value);
}

TableEncoding TableEncoding::read(std::string_view fileBytes, const bytetext::Decoder& decode) {
    const bytetext::Decoder text = decode ? decode : bytetext::Decoder(bytetext::widen);
    std::vector<TableEntry> entries;
    std::size_t skipped = 0;
    std::optional<std::size_t> firstSkipped;
    bytetext::forEachLine(fileBytes, [&](std::size_t lineNumber, std::string_view line) {
        if (isBlank(line) || line.front() == '#') {
            return;
        }
        std::optional<TableEntry> entry = parseLine(line, text);
        if (!entry || entry->text.empty()) {
            if (skipped++ == 0) {
                firstSkipped = lineNumber;
            }
            return;
        }
        entry->line = lineNumber;
        entries.push_back(std::move(*entry));
    });
    TableEncoding table = build(std::move(entries));
    table.skipped_ = skipped;
    table.firstSkipped_ = firstSkipped;
    return table;
}

TableEncoding TableEncoding::build(std::vector<TableEntry> entries) {
    TableEncoding table;
    for (TableEntry& entry : entries) {
        if (entry.text.empty() || entry.code.size() > kMaxCodeBytes ||
            (entry.code.empty() && entry.kind != EntryKind::End)) {
            continue;
        }
        const auto index = static_cast<std::int32_t>(table.entries_.size());
        table.entries_.push_back(std::move(entry));
        const TableEntry& stored = table.entries_.back();
        table.insertText(stored.text, index);
        if (!stored.label.empty() && stored.label != stored.text) {
            table.insertText(stored.label, index);
        }
        table.longestText_ =
            std::max({table.longestText_, stored.text.size(), stored.label.size()});
    }
    table.index();
    return table;
}

void TableEncoding::insertText(std::u16string_view text, std::int32_t entry) {
    std::uint32_t node = 0;
    for (const char16_t unit : text) {
        auto& edges = nodes_[node].edges;
        auto it = std::lower_bound(edges.begin(), edges.end(), unit,
                                   [](const Edge& e, char16_t u) { return e.unit < u; });
        if (it == edges.end() || it->unit != unit) {
            const auto added = static_cast<std::uint32_t>(nodes_.size());
            edges.insert(it, Edge{unit, added});
            nodes_.emplace_back(); // invalidates `edges`, which is not used again
            node = added;
        } else {
            node = it->node;
        }
    }
    // The list stays ordered by code length; among equal lengths the file's order stays.
    const std::size_t size = entries_[static_cast<std::size_t>(entry)].code.size();
    std::int32_t* link = &nodes_[node].firstTerminal;
    while (*link >= 0 &&
           entries_[static_cast<std::size_t>(terminals_[static_cast<std::size_t>(*link)].entry)]
                   .code.size() <= size) {
        link = &terminals_[static_cast<std::size_t>(*link)].next;
    }
    const std::int32_t after = *link;
    *link = static_cast<std::int32_t>(terminals_.size()); // before the push may move terminals_
    terminals_.push_back(Terminal{entry, after});
}

// The look-ups the encoder needs: the root's children by unit, each code as a number, the
// codes and the byte strings that start a longer code, the first entry of each code, and
// the table's warnings.
void TableEncoding::index() {
    longestText_ = std::max<std::size_t>(longestText_, 2);
    rootPages_.assign(256, {});
    for (const Edge& edge : nodes_[0].edges) {
        auto& page = rootPages_[edge.unit >> 8];
        page.resize(256);
        page[edge.unit & 0xFF] = edge.node;
    }
    for (const Node& node : nodes_) {
        const std::int32_t greedy =
            node.firstTerminal < 0 ? -1
                                   : terminals_[static_cast<std::size_t>(node.firstTerminal)].entry;
        flat_.push_back(FlatNode{static_cast<std::uint32_t>(edges_.size()),
                                 static_cast<std::uint32_t>(node.edges.size()), node.firstTerminal,
                                 greedy});
        edges_.insert(edges_.end(), node.edges.begin(), node.edges.end());
    }
    nodes_ = {};
    std::size_t many = 0;
    for (const FlatNode& node : flat_) {
        many += node.count > kScannedChildren ? node.count : 0;
    }
    std::uint32_t bits = 1;
    while ((std::size_t{1} << bits) < 2 * many) {
        ++bits;
    }
    childShift_ = 64 - bits;
    childSlots_.assign(many == 0 ? 0 : std::size_t{1} << bits, Slot{});
    for (std::uint32_t node = 1; node < flat_.size(); ++node) {
        if (flat_[node].count <= kScannedChildren) {
            continue;
        }
        for (std::uint32_t e = 0; e < flat_[node].count; ++e) {
            const Edge& edge = edges_[flat_[node].first + e];
            const std::uint64_t key = (std::uint64_t{node} << 16 | edge.unit) + 1;
            std::size_t at = slotOf(key, childShift_);
            while (childSlots_[at].key != 0) {
                at = (at + 1) & (childSlots_.size() - 1);
            }
            childSlots_[at] = Slot{key, edge.node};
        }
    }
    std::map<std::string, std::int32_t> firstOfCode;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::string& code = entries_[i].code;
        code_.push_back(Code{valueOf(code), static_cast<std::uint32_t>(code.size()), false});
        if (code.empty()) {
            continue;
        }
        codes_.add(code_.back().length, code_.back().value);
        for (std::size_t length = 1; length < code.size(); ++length) {
            openPrefixes_.add(static_cast<std::uint32_t>(length), valueOf(code.substr(0, length)));
        }
        firstOfCode.try_emplace(code, static_cast<std::int32_t>(i));
    }
    codes_.finish();
    openPrefixes_.finish();
    indexPairs();
    for (const auto& [code, entry] : firstOfCode) {
        firstEntry_.emplace_back(std::uint64_t{code.size()} << 32 | valueOf(code), entry);
    }
    std::sort(firstEntry_.begin(), firstEntry_.end());

    const auto warn = [](TableWarning& warning, const TableEntry& entry) {
        if (warning.count++ == 0) {
            warning.firstLine = entry.line;
        }
    };
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const TableEntry& entry = entries_[i];
        if (entry.code.empty()) {
            continue;
        }
        const TableEntry& first = entries_[static_cast<std::size_t>(firstOfCode[entry.code])];
        if (first.text != entry.text || first.label != entry.label) {
            warn(warnings_.sameCodeOtherText, entry);
        }
        Code& code = code_[i];
        // The prefixes are the 1 to 3 bytes a longer code starts with, so a four-byte code is
        // never found among them.
        code.startsLonger = openPrefixes_.contains(code.length, code.value);
        if (code.startsLonger) {
            warn(warnings_.prefixCode, entry);
            prefixCodes_ = true;
        }
    }
}

std::int32_t TableEncoding::firstEntryWith(std::uint32_t length, std::uint32_t value) const {
    const std::uint64_t key = std::uint64_t{length} << 32 | value;
    // Asked only for codes of the table, so the search always finds the code.
    const auto it = std::lower_bound(firstEntry_.begin(), firstEntry_.end(),
                                     std::pair<std::uint64_t, std::int32_t>(key, -1));
    assert(it != firstEntry_.end() && it->first == key);
    return it->second;
}

std::u16string TableEncoding::shownText(std::int32_t entry) const {
    const TableEntry& shown = entries_[static_cast<std::size_t>(entry)];
    if (shown.kind == EntryKind::LineBreak && !shown.label.empty()) {
        return shown.label;
    }
    return shown.text;
}

// The tree's arrays in local pointers, which the compiler keeps in registers while the
// encoder writes its results.
struct TableEncoding::Walk {
    const std::vector<std::uint32_t>* pages;
    const FlatNode* nodes;
    const Edge* edges;
    const Slot* slots;
    std::size_t slotMask;
    std::uint32_t shift;

    explicit Walk(const TableEncoding& table)
        : pages(table.rootPages_.data()), nodes(table.flat_.data()), edges(table.edges_.data()),
          slots(table.childSlots_.data()), slotMask(table.childSlots_.size() - 1),
          shift(table.childShift_) {}

    // The root has as many children as the table has first characters: a direct look-up.
    std::uint32_t rootChild(char16_t unit) const {
        const std::vector<std::uint32_t>& page = pages[unit >> 8];
        return page.empty() ? 0 : page[unit & 0xFF];
    }

    // Deeper nodes mostly have few children, and a plain scan beats a search there.
    std::uint32_t child(std::uint32_t at, char16_t unit) const {
        const FlatNode& node = nodes[at];
        if (node.count > kScannedChildren) {
            const std::uint64_t key = (std::uint64_t{at} << 16 | unit) + 1;
            for (std::size_t slot = slotOf(key, shift);; slot = (slot + 1) & slotMask) {
                if (slots[slot].key == key || slots[slot].key == 0) {
                    return slots[slot].child;
                }
            }
        }
        for (const Edge *edge = edges + node.first, *end = edge + node.count; edge != end; ++edge) {
            if (edge->unit == unit) {
                return edge->node;
            }
        }
        return 0;
    }
};

void TableEncoding::indexPairs() {
    // A column for each unit below 256 that is the second of a text, and column 0 for the rest:
    // rows this narrow stay in the processor's nearest cache.
    pairColumn_.fill(0);
    std::uint32_t columns = 1;
    const auto firstEdge = [this](std::uint32_t root) -> const Edge& {
        return edges_[flat_[0].first + root];
    };
    for (std::uint32_t root = 0; root < flat_[0].count && firstEdge(root).unit < 256; ++root) {
        const FlatNode& one = flat_[firstEdge(root).node];
        for (std::uint32_t e = one.first; e < one.first + one.count; ++e) {
            const char16_t second = edges_[e].unit;
            if (second < 256 && pairColumn_[second] == 0) {
                pairColumn_[second] = static_cast<std::uint16_t>(columns++);
            }
        }
    }
    pairRow_.fill(0);
    pairs_.assign(columns, Pair{0, -1});
    for (std::uint32_t root = 0; root < flat_[0].count; ++root) {
        const Edge& edge = firstEdge(root);
        if (edge.unit >= 256) {
            break; // the edges are sorted
        }
        const FlatNode& one = flat_[edge.node];
        pairRow_[edge.unit] = static_cast<std::uint32_t>(pairs_.size());
        pairs_.resize(pairs_.size() + columns,
                      Pair{0, one.greedyEntry < 0 ? -1 : one.greedyEntry * 2});
        Pair* row = &pairs_[pairRow_[edge.unit]];
        for (std::uint32_t e = one.first; e < one.first + one.count; ++e) {
            const Edge& second = edges_[e];
            const FlatNode& two = flat_[second.node];
            if (second.unit < 256) {
                // A node without children ends the walk: the pair says 0 for it.
                Pair& pair = row[pairColumn_[second.unit]];
                pair = Pair{two.count > 0 ? second.node : 0,
                            two.greedyEntry >= 0 ? two.greedyEntry * 2 + 1 : pair.choice};
            }
        }
    }
}

void TableEncoding::collectMatches(std::u16string_view text, std::size_t at,
                                   std::vector<Match>& out) const {
    out.clear();
    const Walk walk(*this);
    std::uint32_t node = walk.rootChild(text[at]);
    for (std::size_t j = at + 1; node != 0; ++j) {
        const std::int32_t terminal = walk.nodes[node].firstTerminal;
        if (terminal >= 0) {
            out.push_back(Match{static_cast<std::uint32_t>(j - at), terminal});
        }
        node = j == text.size() ? 0 : walk.child(node, text[j]);
    }
}

// The greedy encoding, and the reader following it a few bytes behind: the reader decides
// what it takes at a code start once four bytes follow (the longest code) or the text ends.
// A code no longer code starts with is read as written, so only such starts wait in line.
void TableEncoding::encodeGreedy(std::u16string_view text, bool pieces, TextCost& cost) const {
    Encoding& greedy = cost.greedy;
    struct Waiting {
        std::uint32_t length;
        std::size_t start;
    };
    std::array<Waiting, 8> waiting{}; // at most seven bytes wait, a code of one byte or more each
    std::size_t waitingCount = 0;
    std::uint64_t waitingBytes = 0;
    std::uint32_t waitingLength = 0;
    bool checking = prefixCodes_;
    const auto decide = [&](bool atEnd) {
        while (checking && waitingCount > 0 && (atEnd || waitingLength >= kMaxCodeBytes)) {
            const std::uint32_t written = waiting[0].length;
            for (std::uint32_t k = std::min<std::uint32_t>(waitingLength, kMaxCodeBytes);
                 k > written; --k) {
                const auto value =
                    static_cast<std::uint32_t>(waitingBytes >> (8 * (waitingLength - k)));
                if (codes_.contains(k, value)) {
                    const std::int32_t entry = firstEntryWith(k, value);
                    cost.misread = Misread{waiting[0].start, entry, shownText(entry)};
                    checking = false;
                    return;
                }
            }
            waitingLength -= written;
            waitingBytes &= lowBytes(waitingLength);
            std::copy(waiting.begin() + 1, waiting.begin() + waitingCount, waiting.begin());
            --waitingCount;
        }
    };

    const Walk walk(*this);
    const Code* codes = code_.data();
    std::size_t total = 0;
    const Pair* pairs = pairs_.data();
    const std::uint32_t* pairRow = pairRow_.data();
    const std::uint16_t* pairColumn = pairColumn_.data();
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t node = 0;
        std::size_t length = 1;
        std::size_t j = at + 1;
        std::int32_t entry = -1;
        if (j < text.size() && (text[at] | text[j]) < 256) {
            const Pair& pair = pairs[pairRow[text[at]] + pairColumn[text[j]]];
            node = pair.node;
            entry = pair.choice >> 1; // -1 stays -1
            length += static_cast<std::size_t>(pair.choice & 1);
            ++j;
        } else {
            node = walk.rootChild(text[at]);
            entry = node == 0 ? -1 : walk.nodes[node].greedyEntry;
        }
        for (; node != 0 && j < text.size(); ++j) {
            node = walk.child(node, text[j]);
            const std::int32_t here = node == 0 ? -1 : walk.nodes[node].greedyEntry;
            if (here >= 0) {
                length = j + 1 - at;
                entry = here;
            }
        }
        if (entry < 0) {
            skipUncovered(greedy, at);
            at += charLength(text, at);
            continue;
        }
        const Code& code = codes[entry];
        const std::uint32_t bytes = code.length;
        if (pieces) {
            greedy.pieces.push_back(Piece{static_cast<std::uint32_t>(at),
                                          static_cast<std::uint32_t>(length), bytes, entry});
        }
        total += bytes;
        if (checking && bytes > 0 && (waitingCount > 0 || code.startsLonger)) {
            waiting[waitingCount++] = Waiting{bytes, at};
            waitingBytes = waitingBytes << (8 * bytes) | code.value;
            waitingLength += bytes;
            decide(false);
        }
        at += length;
    }
    greedy.bytes = total;
    decide(true);
}

// Appends a code to the state of the read-back test: kDead when the reader would now take
// a longer code at one of the pending code starts.
std::uint32_t TableEncoding::follow(std::uint32_t state, std::uint32_t length,
                                    std::uint32_t value) const {
    const std::uint32_t held = state >> 24 & 3;
    std::uint32_t starts = state >> 26 | 1U << held; // the new code starts after the held bytes
    const std::uint64_t bytes = std::uint64_t{state & 0xFFFFFF} << (8 * length) | value;
    const std::uint32_t total = held + length;
    // A pending start is read wrongly when the bytes from it now begin with a code longer
    // than those that could be seen before (shorter ones were looked at then).
    for (std::uint32_t i = 0; i < held; ++i) {
        if ((starts >> i & 1) == 0) {
            continue;
        }
        const std::uint32_t longest = std::min(total - i, kMaxCodeBytes);
        for (std::uint32_t k = held - i + 1; k <= longest; ++k) {
            const auto head =
                static_cast<std::uint32_t>((bytes >> (8 * (total - i - k))) & lowBytes(k));
            if (codes_.contains(k, head)) {
                return kDead;
            }
        }
    }
    // Starts stay pending while the bytes from them still begin a longer code.
    std::uint32_t first = total;
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < total; ++i) {
        const std::uint32_t tail = total - i;
        if ((starts >> i & 1) != 0 && tail < kMaxCodeBytes &&
            openPrefixes_.contains(tail, static_cast<std::uint32_t>(bytes & lowBytes(tail)))) {
            first = std::min(first, i);
            kept |= 1U << i;
        }
    }
    if (kept == 0) {
        return 0;
    }
    const std::uint32_t tail = total - first;
    return packState(bytes & lowBytes(tail), tail, kept >> first);
}

namespace {

// One way to reach a position of the text: the read-back state there and the cost so far.
struct Label {
    std::uint32_t state;
    std::uint32_t uncovered;
    std::uint64_t bytes;
    std::uint32_t firstUncovered; // kNoPosition when none
    std::int32_t back;            // with pieces: the label it extends in the pool, else -1
    std::int32_t entry;           // the entry written to get here; -1 for a skipped character
    std::uint32_t from;           // the position of `back`
};

bool better(const Label& a, const Label& b) {
    return std::tuple(a.uncovered, a.bytes, a.firstUncovered) <
           std::tuple(b.uncovered, b.bytes, b.firstUncovered);
}

} // namespace

// Buffers kept from one text to the next: a script is thousands of short lines.
struct TableEncoding::Scratch {
    std::vector<std::vector<Label>> ring; // the labels of the next longestText_ + 1 positions
    std::vector<Label> pool;              // with pieces: every label of the positions passed
    std::vector<Match> matches;
};

// Fewest uncovered, then fewest bytes, over the encodings whose bytes read back (or over
// all, without `readBack`): a shortest path over (position, state of the read-back test).
// A label only reaches positions up to the longest entry text ahead, so a ring of that many
// positions holds them. `furthest` is the last position a label reached; false when the end
// was not reached.
bool TableEncoding::searchOptimal(std::u16string_view text, bool pieces, bool readBack,
                                  Encoding& result, std::size_t& furthest, Scratch& scratch) const {
    const std::size_t width = longestText_ + 1;
    auto& ring = scratch.ring;
    ring.resize(std::max(ring.size(), width));
    for (auto& slot : ring) {
        slot.clear();
    }
    scratch.pool.clear();
    const auto offer = [&](std::size_t at, const Label& label) {
        auto& slot = ring[at % width];
        for (Label& held : slot) {
            if (held.state == label.state) {
                if (better(label, held)) {
                    held = label;
                }
                return;
            }
        }
        slot.push_back(label);
    };
    offer(0, Label{0, 0, 0, kNoPosition, -1, -1, 0});
    furthest = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        auto& slot = ring[at % width];
        if (slot.empty()) {
            continue;
        }
        furthest = at;
        collectMatches(text, at, scratch.matches);
        const auto from = static_cast<std::uint32_t>(at);
        const auto base = static_cast<std::int32_t>(scratch.pool.size());
        if (pieces) {
            scratch.pool.insert(scratch.pool.end(), slot.begin(), slot.end());
        }
        for (std::size_t i = 0; i < slot.size(); ++i) {
            const Label cur = slot[i];
            const std::int32_t back = pieces ? base + static_cast<std::int32_t>(i) : -1;
            for (const Match& match : scratch.matches) {
                for (std::int32_t t = match.firstTerminal; t >= 0;
                     t = terminals_[static_cast<std::size_t>(t)].next) {
                    const std::int32_t entry = terminals_[static_cast<std::size_t>(t)].entry;
                    const Code& code = code_[static_cast<std::size_t>(entry)];
                    const std::uint32_t length = code.length;
                    std::uint32_t state = cur.state;
                    if (length > 0 && readBack && (cur.state != 0 || code.startsLonger)) {
                        state = follow(cur.state, length, code.value);
                    }
                    if (state != kDead) {
                        offer(at + match.length, Label{state, cur.uncovered, cur.bytes + length,
                                                       cur.firstUncovered, back, entry, from});
                    }
                }
            }
            if (scratch.matches.empty()) {
                offer(at + charLength(text, at),
                      Label{cur.state, cur.uncovered + 1, cur.bytes,
                            std::min(cur.firstUncovered, from), back, -1, from});
            }
        }
        slot.clear();
    }
    const auto& last = ring[text.size() % width];
    if (last.empty()) {
        return false;
    }
    furthest = text.size();
    const Label best = *std::min_element(last.begin(), last.end(), better);
    result.bytes = best.bytes;
    result.uncovered = best.uncovered;
    if (best.firstUncovered != kNoPosition) {
        result.firstUncovered = best.firstUncovered;
    }
    if (pieces) {
        // Every label but the one at the start extends another.
        auto to = static_cast<std::uint32_t>(text.size());
        for (Label label = best; label.back >= 0;) {
            if (label.entry >= 0) {
                const auto bytes = static_cast<std::uint32_t>(
                    entries_[static_cast<std::size_t>(label.entry)].code.size());
                result.pieces.push_back(Piece{label.from, to - label.from, bytes, label.entry});
            }
            to = label.from;
            label = scratch.pool[static_cast<std::size_t>(label.back)];
        }
        std::reverse(result.pieces.begin(), result.pieces.end());
    }
    return true;
}

// Without a code that starts a longer one every encoding reads back: one search, no state.
void TableEncoding::encodeOptimal(std::u16string_view text, bool pieces, TextCost& cost,
                                  Scratch& scratch) const {
    std::size_t furthest = 0;
    if (searchOptimal(text, pieces, prefixCodes_, cost.optimal, furthest, scratch)) {
        return;
    }
    cost.cannotBeWrittenAt = furthest;
    searchOptimal(text, pieces, false, cost.optimal, furthest, scratch);
}

TextCost TableEncoding::encode(std::u16string_view text, EncodeRequest request) const {
    TextCost cost;
    encode(text, request, cost);
    return cost;
}

void TableEncoding::encode(std::u16string_view text, EncodeRequest request, TextCost& cost) const {
    // Emptied with the pieces' room kept: a caller that encodes many texts asks for it once.
    for (Encoding* encoding : {&cost.greedy, &cost.optimal}) {
        std::vector<Piece> pieces = std::move(encoding->pieces);
        pieces.clear();
        *encoding = Encoding{};
        encoding->pieces = std::move(pieces);
    }
    cost.misread.reset();
    cost.cannotBeWrittenAt.reset();
    if (request.greedy) {
        encodeGreedy(text, request.pieces, cost);
    }
    if (request.optimal) {
        thread_local Scratch scratch;
        encodeOptimal(text, request.pieces, cost, scratch);
    }
}

} // namespace encoding
