#pragma once

// The figures of a table encoding by their definitions, found by trying every encoding of a
// short text: the unit test and the fuzz target hold the encoder against them.
#include "core/table_encoding.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace oracle {

using Entries = std::vector<encoding::TableEntry>;
using Written = std::vector<std::pair<std::string, std::size_t>>;      // code, text position
using Best = std::tuple<std::size_t, std::size_t, std::size_t>;        // uncovered, bytes, first
using Misread = std::optional<std::pair<std::size_t, std::u16string>>; // at, what is read
// The greedy encoding, its misread, the optimal one, where none that reads back gets further.
using Figures = std::tuple<Best, Misread, Best, std::optional<std::size_t>>;

inline std::string hex(std::string_view bytes) {
    std::string out;
    for (const unsigned char b : bytes) {
        out += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0xF]};
    }
    return out;
}

// Where the reader, taking the longest code each time, first takes a longer code than the
// one written there: the text position of that code and the text of the first entry with the
// code read (only a line break has a label).
inline Misread misread(const Entries& entries, const Written& written) {
    std::string bytes;
    std::for_each(written.begin(), written.end(), [&](const auto& w) { bytes += w.first; });
    for (std::size_t i = 0, at = 0; i < written.size(); at += written[i++].first.size()) {
        const encoding::TableEntry* read = nullptr; // an empty code is no code the reader meets
        for (std::size_t e = 0; e < entries.size() && !written[i].first.empty(); ++e) {
            const std::string& code = entries[e].code;
            if (code.size() > (read ? read->code.size() : written[i].first.size()) &&
                bytes.compare(at, code.size(), code) == 0) {
                read = &entries[e];
            }
        }
        if (read) {
            return std::pair(written[i].second, read->label.empty() ? read->text : read->label);
        }
    }
    return std::nullopt;
}

// The entries whose text or label the text has at `at`: (entry, length) in the file's order.
inline std::vector<std::pair<std::size_t, std::size_t>>
matches(const Entries& entries, const std::u16string& text, std::size_t at) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        for (const std::u16string* t : {&entries[e].text, &entries[e].label}) {
            if (!t->empty() && text.compare(at, t->size(), *t) == 0) {
                out.emplace_back(e, t->size());
            }
        }
    }
    return out;
}

// At most how many encodings agrees() walks through: each one picks one match or none at
// each place it reaches.
inline double walkBound(const Entries& entries, const std::u16string& text) {
    double bound = 1;
    for (std::size_t at = 0; at < text.size(); ++at) {
        bound *= std::max<double>(1, static_cast<double>(matches(entries, text, at).size()));
    }
    return bound;
}

// A small table and a short text drawn from next(), a byte each time. Narrow: codes of 1 to 4
// bytes 0 and 1 (often starting a longer code, or given twice), texts of 1 to 3 letters (one
// beyond Latin-1, a surrogate pair, a lone low surrogate); wide: more entries, bytes 0 to 7 and
// more letters (the last of Latin-1 among them) after a first "a" or "b" (every other letter of
// the text too), so a text node has many children; prefix: every text one letter, "a" or "b",
// and every code 1 to 4 bytes 0 and 1, so that the reader often has several code starts in
// doubt at once. Zero-byte tokens, line breaks with and without labels.
template <typename Next> std::pair<encoding::TableEncoding, std::u16string> drawn(Next next) {
    const std::u16string letters[] = {u"a",  u"b", u"\u0100", u"\U0001F600", {char16_t{0xDC00}},
                                      u"\n", u"c", u"d",      u"\u00FF"};
    const auto letter = [&](unsigned n) { return letters[n < 5 ? n : n + 1]; }; // no "\n"
    const unsigned mode = next() % 3;
    const bool wide = mode == 1, prefix = mode == 2;
    const unsigned alphabet = wide ? 8 : prefix ? 2 : 5; // the letters of the entries' texts
    Entries entries(1 + next() % (wide ? 20 : prefix ? 8 : 6));
    for (encoding::TableEntry& entry : entries) {
        const unsigned shape = next(); // code length, kind, text length, label or none
        entry.kind = static_cast<encoding::EntryKind>(shape / 5 % 3);
        while (entry.code.size() < (prefix ? 1 + shape % 4 : shape % 5)) {
            entry.code += static_cast<char>(next() % (wide ? 8 : 2));
        }
        for (unsigned n = 0; n < (prefix ? 1 : 1 + shape / 15 % 3); ++n) {
            entry.text += letter(n == 0 && wide ? next() % 2 : next() % alphabet);
        }
        if (entry.kind == encoding::EntryKind::LineBreak) {
            entry.label = std::exchange(entry.text, u"\n").substr(0, shape / 128 * 6);
        }
    }
    std::u16string text;
    for (unsigned n = 0, count = next() % 7; n < count; ++n) {
        text +=
            (wide && n % 2 == 0) || prefix ? letter(next() % 2) : letters[next() % (wide ? 9 : 6)];
    }
    return {encoding::TableEncoding::build(entries), text};
}

inline Figures figuresOf(const encoding::TextCost& c) {
    const auto best = [](const encoding::Encoding& e) {
        return Best{e.uncovered, e.bytes, e.firstUncovered.value_or(~0u)};
    };
    const Misread wrong = c.misread ? Misread({c.misread->at, c.misread->reads}) : std::nullopt;
    return {best(c.greedy), wrong, best(c.optimal), c.cannotBeWrittenAt};
}

// Every encoding of the text tried, the greedy one among them: the encoder's figures, with pieces
// and without, are the greedy one's and the best that reads back (when none does, the best of
// all and the furthest start that reads back so far); its optimal pieces cost what it says and
// read back when the text can be written.
inline bool agrees(const encoding::TableEncoding& table, const std::u16string& text) {
    const Entries& entries = table.entries();
    Best optimal{~0u, 0, 0}, anyBest = optimal;
    std::pair<Best, Misread> greedy;
    std::size_t furthest = 0;
    Written written;
    const auto walk = [&](auto&& self, std::size_t at, Best cost, bool isGreedy) -> void {
        const auto [uncovered, bytes, first] = cost;
        const auto wrong = misread(entries, written);
        furthest = std::max(furthest, wrong ? 0 : at);
        if (at == text.size()) {
            anyBest = std::min(anyBest, cost);
            optimal = wrong ? optimal : std::min(optimal, cost);
            greedy = isGreedy ? std::pair(cost, wrong) : greedy;
            return;
        }
        const auto m = matches(entries, text, at);
        if (m.empty()) { // a surrogate pair is one character
            const bool pair = (text[at] & 0xFC00) == 0xD800 && (text[at + 1] & 0xFC00) == 0xDC00;
            self(self, at + 1 + pair, {uncovered + 1, bytes, std::min(first, at)}, isGreedy);
        }
        const auto pick = std::min_element(m.begin(), m.end(), [&](auto a, auto b) {
            return std::tuple(b.second, entries[a.first].code.size(), a.first) <
                   std::tuple(a.second, entries[b.first].code.size(), b.first);
        }); // the greedy choice: longest text, shortest code, first in the file
        for (auto it = m.begin(); it != m.end(); ++it) {
            written.emplace_back(entries[it->first].code, at);
            self(self, at + it->second, {uncovered, bytes + written.back().first.size(), first},
                 isGreedy && it == pick);
            written.pop_back();
        }
    };
    walk(walk, 0, {0, 0, ~0u}, true);
    const bool readsBack = std::get<0>(optimal) != ~0u;
    const Figures want{greedy.first, greedy.second, readsBack ? optimal : anyBest,
                       readsBack ? std::nullopt : std::optional(furthest)};
    // One encode gets a view whose memory goes on with the text again: nothing past its end counts.
    const std::u16string twice = text + text;
    const auto light =
        table.encode(std::u16string_view(twice).substr(0, text.size()), {true, true, false});
    const auto c = table.encode(text);
    std::size_t bytes = 0;
    for (const encoding::Piece& p : c.optimal.pieces) {
        written.emplace_back(entries[static_cast<std::size_t>(p.entry)].code, p.start);
        bytes += written.back().first.size();
    }
    return figuresOf(light) == want && figuresOf(c) == want && bytes == c.optimal.bytes &&
           (c.cannotBeWrittenAt || !misread(entries, written));
}

} // namespace oracle
