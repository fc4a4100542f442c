#pragma once

// The figures of a table encoding by their definitions, found by trying every encoding of a
// short text: held against the encoder by the unit test and the fuzz target.
#include "core/table_encoding.h"

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace oracle {

using encoding::TableEntry;

struct Figures {
    std::size_t greedyBytes = 0, greedyUncovered = 0;
    std::optional<std::size_t> misreadAt;
    std::u16string reads;
    std::tuple<std::size_t, std::size_t, std::size_t> optimal{
        ~0u, ~0u, ~0u}; // uncovered, bytes, first uncovered
    std::optional<std::size_t> cannotBeWrittenAt;
};

struct Written {
    std::string code;
    std::size_t start;
};

// The first written code the reader takes a longer code for, and the entry it reads there.
inline std::optional<std::pair<std::size_t, std::size_t>>
misread(const std::vector<TableEntry>& entries, const std::vector<Written>& written) {
    std::string bytes;
    for (const Written& w : written) {
        bytes += w.code;
    }
    std::size_t at = 0;
    for (std::size_t i = 0; i < written.size(); at += written[i++].code.size()) {
        std::optional<std::size_t> longest;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const std::string& code = entries[e].code;
            if (!code.empty() && bytes.compare(at, code.size(), code) == 0 &&
                (!longest || code.size() > entries[*longest].code.size())) {
                longest = e;
            }
        }
        if (entries[*longest].code.size() > written[i].code.size()) {
            return std::pair(i, *longest);
        }
    }
    return std::nullopt;
}

inline Figures figures(const std::vector<TableEntry>& entries, const std::u16string& text) {
    const auto matches = [&](std::size_t at) { // (entry, length), entries in file order
        std::vector<std::pair<std::size_t, std::size_t>> out;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            for (const std::u16string* t : {&entries[e].text, &entries[e].label}) {
                if (!t->empty() && text.compare(at, t->size(), *t) == 0) {
                    out.emplace_back(e, t->size());
                }
            }
        }
        return out;
    };
    const auto charLength = [&](std::size_t at) -> std::size_t {
        return at + 1 < text.size() && (text[at] & 0xFC00) == 0xD800 &&
                       (text[at + 1] & 0xFC00) == 0xDC00
                   ? 2
                   : 1;
    };
    Figures f;
    std::vector<Written> written;
    for (std::size_t at = 0; at < text.size();) {
        auto m = matches(at);
        if (m.empty()) {
            ++f.greedyUncovered;
            at += charLength(at);
            continue;
        }
        const auto pick = *std::min_element(m.begin(), m.end(), [&](auto a, auto b) {
            return std::tuple(b.second, entries[a.first].code.size(), a.first) <
                   std::tuple(a.second, entries[b.first].code.size(), b.first);
        });
        f.greedyBytes += entries[pick.first].code.size();
        if (!entries[pick.first].code.empty()) {
            written.push_back({entries[pick.first].code, at});
        }
        at += pick.second;
    }
    if (const auto wrong = misread(entries, written)) {
        const TableEntry& read = entries[wrong->second];
        f.misreadAt = written[wrong->first].start;
        f.reads = read.kind == encoding::EntryKind::LineBreak && !read.label.empty() ? read.label
                                                                                     : read.text;
    }
    // Every encoding: the best that reads back, the best of all, the furthest read-back start.
    decltype(f.optimal) anyBest = f.optimal;
    std::size_t furthest = 0;
    written.clear();
    const auto walk = [&](auto&& self, std::size_t at, std::size_t uncovered, std::size_t bytes,
                          std::size_t first) -> void {
        const bool readsBack = !misread(entries, written);
        if (readsBack) {
            furthest = std::max(furthest, at);
        }
        if (at == text.size()) {
            anyBest = std::min(anyBest, {uncovered, bytes, first});
            if (readsBack) {
                f.optimal = std::min(f.optimal, {uncovered, bytes, first});
            }
            return;
        }
        const auto m = matches(at);
        if (m.empty()) {
            self(self, at + charLength(at), uncovered + 1, bytes, std::min(first, at));
        }
        for (const auto& [e, length] : m) {
            const std::string& code = entries[e].code;
            if (!code.empty()) {
                written.push_back({code, at});
            }
            self(self, at + length, uncovered, bytes + code.size(), first);
            if (!code.empty()) {
                written.pop_back();
            }
        }
    };
    walk(walk, 0, 0, 0, ~0u);
    if (std::get<0>(f.optimal) == ~0u) {
        f.cannotBeWrittenAt = furthest;
        f.optimal = anyBest;
    }
    return f;
}

} // namespace oracle
