#include "core/table_encoding.h"

#include "core/byte_text.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace encoding {

namespace {

constexpr std::size_t kMaxCodeBytes = 4;

// Big-endian hex, an even number of digits, one to four bytes.
std::optional<std::string> parseCode(std::string_view hex) {
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 2 * kMaxCodeBytes) {
        return std::nullopt;
    }
    std::string code;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = bytetext::hexDigit(hex[i]);
        const int low = bytetext::hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        code.push_back(static_cast<char>(high * 16 + low));
    }
    return code;
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
std::size_t charLength(std::u16string_view text, std::size_t at) {
    const char16_t unit = text[at];
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] <= 0xDFFF) {
        return 2;
    }
    return 1;
}

void skipUncovered(Encoding& encoding, std::size_t at) {
    if (encoding.uncovered++ == 0) {
        encoding.firstUncovered = at;
    }
}

} // namespace

std::optional<std::size_t> TextCost::stopsFitting(std::size_t budget, Strategy strategy) const {
    std::size_t used = 0;
    for (const Piece& piece : of(strategy).pieces) {
        used += piece.bytes;
        if (used > budget) {
            return piece.start;
        }
    }
    return std::nullopt;
}

TableEncoding TableEncoding::read(std::string_view fileBytes, const bytetext::Decoder& decode) {
    const bytetext::Decoder text = decode ? decode : bytetext::Decoder(bytetext::widen);
    if (fileBytes.substr(0, 3) == "\xEF\xBB\xBF") {
        fileBytes.remove_prefix(3);
    }
    TableEncoding table;
    std::size_t lineNumber = 0;
    while (!fileBytes.empty()) {
        const std::size_t lf = fileBytes.find('\n');
        std::string_view line = fileBytes.substr(0, lf);
        fileBytes.remove_prefix(lf == std::string_view::npos ? fileBytes.size() : lf + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (isBlank(line) || line.front() == '#') {
            continue;
        }
        std::optional<TableEntry> entry = parseLine(line, text);
        if (!entry || entry->text.empty()) {
            if (table.skipped_++ == 0) {
                table.firstSkipped_ = lineNumber;
            }
            continue;
        }
        const auto index = static_cast<std::int32_t>(table.entries_.size());
        table.entries_.push_back(std::move(*entry));
        const TableEntry& stored = table.entries_.back();
        table.insertText(stored.text, index);
        if (!stored.label.empty()) {
            table.insertText(stored.label, index);
        }
    }
    table.linkExtensions();
    return table;
}

void TableEncoding::insertText(std::u16string_view text, std::int32_t entry) {
    std::uint32_t node = 0;
    for (const char16_t unit : text) {
        auto& edges = nodes_[node].edges;
        auto it = std::lower_bound(edges.begin(), edges.end(), unit,
                                   [](const Edge& e, char16_t u) { return e.unit < u; });
        if (it == edges.end() || it->unit != unit) {
            const auto child = static_cast<std::uint32_t>(nodes_.size());
            edges.insert(it, Edge{unit, child});
            nodes_.emplace_back(); // invalidates `edges`, which is not used again
            node = child;
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

void TableEncoding::linkExtensions() {
    rootPages_.assign(256, {});
    for (const Edge& edge : nodes_[0].edges) {
        auto& page = rootPages_[edge.unit >> 8];
        page.resize(256);
        page[edge.unit & 0xFF] = edge.node;
    }
    packed_.clear();
    for (const TableEntry& entry : entries_) {
        PackedCode code{0, static_cast<std::uint32_t>(entry.code.size())};
        for (std::size_t i = 0; i < entry.code.size(); ++i) {
            code.bits |= std::uint32_t{static_cast<unsigned char>(entry.code[i])} << (24 - 8 * i);
        }
        packed_.push_back(code);
    }

    std::set<std::string> codes;
    for (const TableEntry& entry : entries_) {
        if (!entry.code.empty()) {
            codes.insert(entry.code);
        }
    }
    std::map<std::string, std::int32_t> keyOf;
    for (const std::string& longer : codes) {
        for (std::size_t length = 1; length < longer.size(); ++length) {
            const std::string prefix = longer.substr(0, length);
            if (codes.count(prefix) == 0) {
                continue;
            }
            const auto [it, added] =
                keyOf.try_emplace(prefix, static_cast<std::int32_t>(extensions_.size()));
            if (added) {
                extensions_.emplace_back();
            }
            PackedCode rest{0, static_cast<std::uint32_t>(longer.size() - length)};
            for (std::size_t i = length; i < longer.size(); ++i) {
                rest.bits |= std::uint32_t{static_cast<unsigned char>(longer[i])}
                             << (24 - 8 * (i - length));
            }
            extensions_[static_cast<std::size_t>(it->second)].push_back(rest);
        }
    }
    for (auto& rests : extensions_) {
        std::sort(rests.begin(), rests.end(),
                  [](const PackedCode& a, const PackedCode& b) { return a.bits < b.bits; });
    }
    codeKey_.assign(entries_.size(), -1);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const auto it = keyOf.find(entries_[i].code);
        if (it != keyOf.end()) {
            codeKey_[i] = it->second;
        }
    }
}

void TableEncoding::collectMatches(std::u16string_view text, std::size_t at,
                                   std::vector<Match>& out) const {
    out.clear();
    // The root has as many children as the table has first characters: a direct look-up.
    // Deeper nodes have few, and a plain scan beats a search there.
    const char16_t first = text[at];
    std::uint32_t node = 0;
    if (!rootPages_.empty() && !rootPages_[first >> 8].empty()) {
        node = rootPages_[first >> 8][first & 0xFF];
    }
    for (std::size_t j = at + 1; node != 0; ++j) {
        if (nodes_[node].firstTerminal >= 0) {
            out.push_back(Match{static_cast<std::uint32_t>(j - at), nodes_[node].firstTerminal});
        }
        if (j == text.size()) {
            return;
        }
        const std::uint32_t from = node;
        node = 0;
        for (const Edge& edge : nodes_[from].edges) {
            if (edge.unit == text[j]) {
                node = edge.node;
                break;
            }
        }
    }
}

// `code` may follow when no rest of a longer code agrees with it as far as both go: no rest
// starts with `code` or with `code` cut short and padded with zero bytes (one search for the
// range of such rests), and no rest is a proper beginning of `code` (an exact search per
// length). Tables where many codes extend one code stay fast.
bool TableEncoding::allowedAfter(std::int32_t key, PackedCode code) const {
    if (key < 0) {
        return true;
    }
    const auto& rests = extensions_[static_cast<std::size_t>(key)];
    const auto firstAtLeast = [&](std::uint32_t bits) {
        return std::lower_bound(rests.begin(), rests.end(), bits,
                                [](const PackedCode& r, std::uint32_t b) { return r.bits < b; });
    };
    const auto span = static_cast<std::uint32_t>((std::uint64_t{1} << (32 - 8 * code.length)) - 1);
    const auto it = firstAtLeast(code.bits);
    if (it != rests.end() && it->bits - code.bits <= span) {
        return false;
    }
    for (std::uint32_t length = 1; length < code.length; ++length) {
        const std::uint32_t head = code.bits & ~(~std::uint32_t{0} >> (8 * length));
        for (auto r = firstAtLeast(head); r != rests.end() && r->bits == head; ++r) {
            if (r->length == length) {
                return false;
            }
        }
    }
    return true;
}

namespace {

// The optimum's states: one per position and key of the last code, linked per position.
struct PathState {
    std::int32_t key;
    std::uint32_t uncovered;
    std::size_t bytes;
    std::int32_t prev;  // state this one was reached from
    std::int32_t entry; // entry emitted to get here; -1 for a skipped character
    std::uint32_t from; // position of `prev`
    std::int32_t next;  // next state at the same position
};

bool cheaper(const PathState& a, const PathState& b) {
    return std::pair(a.uncovered, a.bytes) < std::pair(b.uncovered, b.bytes);
}

} // namespace

// Buffers kept from one text to the next: a script is thousands of short lines.
struct TableEncoding::Scratch {
    std::vector<PathState> pool;
    std::vector<std::int32_t> head;
    std::vector<Match> matches;
    std::vector<Piece> greedy;
};

// Both encodings in one pass over the text, sharing the entries that match at each position.
// The optimum is a shortest path over (position, last code's key): the key says which codes
// may follow. Codes that nothing extends share key -1, so a position rarely holds more than
// one state.
void TableEncoding::encodeBoth(std::u16string_view text, Scratch& scratch, TextCost& cost) const {
    using State = PathState;
    auto& pool = scratch.pool;
    auto& head = scratch.head;
    auto& matches = scratch.matches;
    Encoding& greedy = cost.greedy;
    pool.clear();
    head.assign(text.size() + 1, -1);
    scratch.greedy.clear();
    const auto offer = [&](std::size_t at, State state) {
        for (std::int32_t k = head[at]; k >= 0; k = pool[static_cast<std::size_t>(k)].next) {
            State& held = pool[static_cast<std::size_t>(k)];
            if (held.key == state.key) {
                if (cheaper(state, held)) {
                    state.next = held.next;
                    held = state;
                }
                return;
            }
        }
        state.next = head[at];
        head[at] = static_cast<std::int32_t>(pool.size());
        pool.push_back(state);
    };

    std::size_t greedyAt = 0;
    offer(0, State{-1, 0, 0, -1, -1, 0, -1});
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (head[at] < 0 && at != greedyAt) {
            continue;
        }
        collectMatches(text, at, matches);
        const std::size_t skip = charLength(text, at);
        if (at == greedyAt && matches.empty()) {
            skipUncovered(greedy, at);
            greedyAt += skip;
        } else if (at == greedyAt) {
            const Match& longest = matches.back();
            const std::int32_t entry =
                terminals_[static_cast<std::size_t>(longest.firstTerminal)].entry;
            const std::uint32_t bytes = packed_[static_cast<std::size_t>(entry)].length;
            scratch.greedy.push_back(
                Piece{static_cast<std::uint32_t>(at), longest.length, bytes, entry});
            greedy.bytes += bytes;
            greedyAt += longest.length;
        }

        for (std::int32_t k = head[at]; k >= 0; k = pool[static_cast<std::size_t>(k)].next) {
            const State cur = pool[static_cast<std::size_t>(k)];
            const auto from = static_cast<std::uint32_t>(at);
            for (const Match& match : matches) {
                for (std::int32_t t = match.firstTerminal; t >= 0;
                     t = terminals_[static_cast<std::size_t>(t)].next) {
                    const std::int32_t entry = terminals_[static_cast<std::size_t>(t)].entry;
                    const PackedCode code = packed_[static_cast<std::size_t>(entry)];
                    if (code.length == 0) {
                        offer(at + match.length,
                              State{cur.key, cur.uncovered, cur.bytes, k, entry, from, -1});
                    } else if (allowedAfter(cur.key, code)) {
                        offer(at + match.length,
                              State{codeKey_[static_cast<std::size_t>(entry)], cur.uncovered,
                                    cur.bytes + code.length, k, entry, from, -1});
                    }
                }
            }
            offer(at + skip, State{cur.key, cur.uncovered + 1, cur.bytes, k, -1, from, -1});
        }
    }

    std::int32_t best = head[text.size()];
    for (std::int32_t k = best; k >= 0; k = pool[static_cast<std::size_t>(k)].next) {
        const State& s = pool[static_cast<std::size_t>(k)];
        const State& b = pool[static_cast<std::size_t>(best)];
        if (cheaper(s, b)) {
            best = k;
        }
    }
    greedy.pieces.assign(scratch.greedy.begin(), scratch.greedy.end());
    Encoding& result = cost.optimal;
    const State& last = pool[static_cast<std::size_t>(best)];
    result.bytes = last.bytes;
    result.uncovered = last.uncovered;
    std::size_t pieces = 0;
    for (std::int32_t k = best; k >= 0; k = pool[static_cast<std::size_t>(k)].prev) {
        pieces += pool[static_cast<std::size_t>(k)].entry >= 0 ? 1 : 0;
    }
    result.pieces.resize(pieces);
    auto to = static_cast<std::uint32_t>(text.size());
    for (std::int32_t k = best; pool[static_cast<std::size_t>(k)].prev >= 0;) {
        const State& s = pool[static_cast<std::size_t>(k)];
        if (s.entry < 0) {
            result.firstUncovered = s.from; // walking backwards, the last one seen is the first
        } else {
            result.pieces[--pieces] = Piece{
                s.from, to - s.from, packed_[static_cast<std::size_t>(s.entry)].length, s.entry};
        }
        to = s.from;
        k = s.prev;
    }
}

TextCost TableEncoding::encode(std::u16string_view text) const {
    thread_local Scratch scratch;
    TextCost cost;
    encodeBoth(text, scratch, cost);
    return cost;
}

} // namespace encoding
