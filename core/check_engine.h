#pragma once

#include "core/codes.h"
#include "core/screen_widths.h"
#include "core/table_encoding.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

// Does a translation fit: the one place where verdicts are made. Each item (a line of a plain
// pair, a record of a CSV script, a string of a dump) comes in with its two texts and its
// budget already settled; out come its figures and separate verdicts (bytes, block, screen),
// whether it fits, derived from them in one place, and a summary counted from the same
// verdicts. The command line and the main window only present what comes out.
namespace check {

using encoding::Strategy;

// The byte figures of one text; those of a strategy that was not worked out stay 0.
struct TextBytes {
    std::size_t greedy = 0;
    std::size_t optimal = 0;
    std::size_t uncovered = 0; // under the strategy of the check
    std::optional<std::size_t> firstUncovered;
    // The greedy encoding does not read back; held apart, as few texts have one.
    std::shared_ptr<const encoding::Misread> misread;
    std::optional<std::size_t> cannotBeWrittenAt; // no encoding reads back

    std::size_t of(Strategy strategy) const {
        return strategy == Strategy::Optimal ? optimal : greedy;
    }
};

// The widest line and the lines of the fullest box of one text.
struct ScreenFigures {
    std::uint64_t widest = 0;
    std::size_t lines = 0;
};

// Where an item's byte budget comes from.
enum class BudgetSource {
    Limit,        // --limit, or a limit the script gives the item (a CSV cell)
    RecordedRoom, // the room an extractor recorded for a dump's string
    Original,     // the original's own bytes
};

struct Budget {
    std::optional<std::uint64_t> bytes; // empty: the original's bytes, once counted
    BudgetSource source = BudgetSource::Original;
};

// The one rule for a budget: the command line's limit for every item, else the item's own
// limit (a CSV cell, a dump string's recorded room), else the original's bytes.
Budget settleBudget(std::optional<std::uint64_t> commandLimit,
                    std::optional<std::uint64_t> ownLimit, BudgetSource ownSource);

struct Item {
    std::u16string_view original;
    std::u16string_view translation;
    bool translated = true; // an untranslated dump string is counted, never judged
    Budget budget;
    std::optional<std::size_t> block; // index into the blocks' rooms
};

// The tables and the limits every item is held to.
struct Rules {
    const encoding::TableEncoding& originalTable;
    const encoding::TableEncoding& translationTable;
    // Built on the translation's table; nothing when no screen limit is checked.
    const screen::ScreenMeasure* screen = nullptr;
    Strategy strategy = Strategy::Greedy;
    bool bothStrategies = false; // count both texts under the other strategy too
    // The codes of both tables, when the codes are checked; the translation must keep the
    // original's, and with `codesOrder` in the same order.
    const codes::CodeTable* originalCodes = nullptr;
    const codes::CodeTable* translationCodes = nullptr;
    bool codesOrder = false;
};

struct ScreenVerdict {
    ScreenFigures original;
    ScreenFigures translation;
    bool lineOver = false; // the translation has a line wider than @line
    bool boxOver = false;  // the translation has a box of more than @lines lines

    bool fits() const { return !lineOver && !boxOver; }
};

struct Verdict {
    TextBytes original;
    TextBytes translation; // all 0 when untranslated
    bool translated = true;
    std::size_t budget = 0;
    BudgetSource source = BudgetSource::Original;
    bool bytesFit = true;      // within the budget, and written so that the game reads it back
    std::size_t pastBlock = 0; // bytes of the item past its block's end
    std::optional<ScreenVerdict> screen; // with a screen limit, when translated
    // When the codes are checked; no difference for a translation not done yet (blank).
    // Held apart, as a long script has many verdicts and the codes are checked only when asked.
    std::shared_ptr<const codes::CodeDifferences> codes;

    bool blockFits() const { return pastBlock == 0; }
    bool screenFits() const { return !screen || screen->fits(); }
    bool codesFit() const { return !codes || !codes->any(); }
    // Passes every limit; an untranslated item always does.
    bool fits() const { return bytesFit && blockFits() && screenFits() && codesFit(); }
    // Counted as over its budget: its bytes, or its block.
    bool overBudget() const { return !bytesFit || !blockFits(); }
};

struct BlockVerdict {
    std::optional<std::uint64_t> room; // no end, no limit
    std::size_t used = 0;              // bytes of its translated items
    bool fits() const { return !room || used <= *room; }
};

struct Summary {
    std::size_t checked = 0;
    std::size_t over = 0;        // items over their budget (bytes or block)
    std::size_t offScreen = 0;   // items whose translation is off the screen
    std::size_t codesDiffer = 0; // items whose translation's codes differ from the original's
    std::size_t untranslated = 0;
    std::size_t blocksOver = 0;
    std::size_t originalBytes = 0; // under the strategy
    std::size_t translationBytes = 0;
    std::size_t uncovered = 0;                 // characters of the translations no entry covers
    std::optional<std::size_t> firstUncovered; // the first item whose translation has one
    // The same of the originals, of every item: an original's character that its table lacks
    // costs nothing, so it shrinks the budget it gives.
    std::size_t originalUncovered = 0;
    std::optional<std::size_t> firstOriginalUncovered;
    std::size_t failing = 0; // items that do not fit
};

// The verdicts of a check, one an item, in the items' order. They are made in place by the
// threads that judge them: on a long script each thread is the first to touch its own share of
// the memory, instead of one thread clearing all of it before the work starts.
class Verdicts {
public:
    Verdicts() = default;
    // Memory for `count` verdicts; make() must then make each one before anything reads it.
    explicit Verdicts(std::size_t count);
    Verdicts(Verdicts&& other) noexcept;
    Verdicts& operator=(Verdicts&& other) noexcept;
    ~Verdicts();

    Verdict& make(std::size_t i) { return *new (&data_[i]) Verdict(); }
    std::size_t size() const { return count_; }
    Verdict& operator[](std::size_t i) { return data_[i]; }
    const Verdict& operator[](std::size_t i) const { return data_[i]; }

private:
    Verdict* data_ = nullptr;
    std::size_t count_ = 0;
};

struct Check {
    Strategy strategy = Strategy::Greedy;
    bool bothStrategies = false;
    bool codes = false;                      // the codes were checked
    std::optional<screen::WidthFile> widths; // the limits, when the screen was checked
    Verdicts items;
    std::vector<BlockVerdict> blocks;
    Summary summary;

    bool allFit() const { return summary.failing == 0; }
};

// What the encoder works out for a check under `strategy`.
encoding::EncodeRequest requestFor(Strategy strategy, bool bothStrategies);

// One text's figures; the screen's only when a screen limit is checked.
struct TextFigures {
    TextBytes bytes;
    std::optional<ScreenFigures> screen;
    std::optional<codes::TextCodes> codes; // when the codes are checked
    bool blank = false; // nothing but blanks and line ends; worked out with the codes only
};

TextFigures measure(const Rules& rules, bool original, std::u16string_view text);

// The verdicts of a translated item from its texts' figures: the rules checkItems applies, for
// a caller that measures each text as it changes (the main window). The screen is judged when
// both texts have screen figures, against `widths`; `pastBlock` as the item's block gives it.
// The codes are judged when both texts have them and the translation is not blank.
Verdict judge(const TextFigures& original, const TextFigures& translation, const Budget& budget,
              Strategy strategy, const screen::WidthFile* widths, std::size_t pastBlock = 0,
              bool codesOrder = false);

// Every item measured and judged, the blocks filled in the items' order, the summary counted.
// Long scripts are shared out among the cores.
Check checkItems(const Rules& rules, const std::vector<Item>& items,
                 const std::vector<std::optional<std::uint64_t>>& blockRooms = {});

// Runs work(begin, end, share) for each share of [0, count), on threads when `worthThreads`
// (at most 8 shares); returns how many shares there were.
unsigned inShares(std::size_t count, bool worthThreads,
                  const std::function<void(std::size_t, std::size_t, unsigned)>& work);

} // namespace check
