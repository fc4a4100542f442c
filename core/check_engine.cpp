#include "core/check_engine.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <thread>
#include <utility>

namespace check {

namespace {

// Fewer texts, and fewer characters, are not worth a thread.
constexpr std::size_t kTextsPerShare = 4096;
constexpr std::size_t kCharactersPerShare = 1 << 20;
// The pieces a thread keeps room for between texts (16 bytes each).
constexpr std::size_t kPiecesKept = 1 << 16;

bool lineFits(const screen::WidthFile& widths, std::uint64_t width) {
    return !widths.line || width <= *widths.line;
}

bool boxFits(const screen::WidthFile& widths, std::size_t lines) {
    return !widths.lines || lines <= *widths.lines;
}

} // namespace

Budget settleBudget(std::optional<std::uint64_t> commandLimit,
                    std::optional<std::uint64_t> ownLimit, BudgetSource ownSource) {
    if (commandLimit) {
        return {commandLimit, BudgetSource::Limit};
    }
    if (ownLimit) {
        return {ownLimit, ownSource};
    }
    return {};
}

encoding::EncodeRequest requestFor(Strategy strategy, bool bothStrategies) {
    const bool optimal = strategy == Strategy::Optimal;
    return {bothStrategies || !optimal, bothStrategies || optimal, false};
}

TextFigures measure(const Rules& rules, bool original, std::u16string_view text) {
    const encoding::TableEncoding& table = original ? rules.originalTable : rules.translationTable;
    const codes::CodeTable* codeTable = original ? rules.originalCodes : rules.translationCodes;
    encoding::EncodeRequest request = requestFor(rules.strategy, rules.bothStrategies);
    if (codeTable != nullptr) {
        // The codes are read off the greedy pieces: what the inserters write.
        request.greedy = true;
        request.pieces = true;
    }
    // One cost per thread, its pieces' memory reused from text to text.
    thread_local encoding::TextCost cost;
    table.encode(text, request, cost);
    const encoding::Encoding& chosen = cost.of(rules.strategy);
    TextFigures figures;
    figures.bytes =
        TextBytes{cost.greedy.bytes,
                  cost.optimal.bytes,
                  chosen.uncovered,
                  chosen.firstUncovered,
                  cost.misread ? std::make_shared<const encoding::Misread>(*cost.misread) : nullptr,
                  cost.cannotBeWrittenAt};
    if (rules.screen != nullptr) {
        const screen::TextMeasure laidOut = rules.screen->measure(text);
        figures.screen = ScreenFigures{laidOut.widest(), laidOut.fullest()};
    }
    if (codeTable != nullptr) {
        figures.codes = codes::textCodes(*codeTable, text, cost.greedy.pieces, !original);
        figures.blank = codes::isBlank(text); // only the codes spare work not done yet
    }
    if (cost.greedy.pieces.capacity() > kPiecesKept) {
        cost.greedy.pieces = {}; // a long text's pieces are not kept for the next text
    }
    return figures;
}

Verdict judge(const TextFigures& original, const TextFigures& translation, const Budget& budget,
              Strategy strategy, const screen::WidthFile* widths, std::size_t pastBlock,
              bool codesOrder) {
    Verdict verdict;
    verdict.original = original.bytes;
    verdict.translation = translation.bytes;
    verdict.source = budget.source;
    verdict.budget =
        budget.bytes ? static_cast<std::size_t>(*budget.bytes) : original.bytes.of(strategy);
    const bool readsBack = strategy == Strategy::Optimal ? !translation.bytes.cannotBeWrittenAt
                                                         : !translation.bytes.misread;
    verdict.bytesFit = translation.bytes.of(strategy) <= verdict.budget && readsBack;
    verdict.pastBlock = pastBlock;
    if (widths != nullptr && original.screen && translation.screen) {
        const ScreenFigures& laidOut = *translation.screen;
        verdict.screen =
            ScreenVerdict{*original.screen, laidOut, !lineFits(*widths, laidOut.widest),
                          !boxFits(*widths, laidOut.lines)};
    }
    if (original.codes && translation.codes) {
        // Most translations keep their codes: they share one empty difference, one a thread
        // so that the threads do not take turns at its count.
        thread_local const auto none = std::make_shared<const codes::CodeDifferences>();
        codes::CodeDifferences found =
            translation.blank
                ? codes::CodeDifferences{}
                : codes::compareCodes(*original.codes, *translation.codes, codesOrder);
        verdict.codes =
            found.any() ? std::make_shared<const codes::CodeDifferences>(std::move(found)) : none;
    }
    return verdict;
}

Verdicts::Verdicts(std::size_t count)
    : data_(count == 0 ? nullptr : std::allocator<Verdict>().allocate(count)), count_(count) {}

Verdicts::Verdicts(Verdicts&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), count_(std::exchange(other.count_, 0)) {}

Verdicts& Verdicts::operator=(Verdicts&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(count_, other.count_);
    return *this;
}

Verdicts::~Verdicts() {
    if (data_ != nullptr) {
        std::destroy_n(data_, count_);
        std::allocator<Verdict>().deallocate(data_, count_);
    }
}

unsigned inShares(std::size_t count, bool worthThreads,
                  const std::function<void(std::size_t, std::size_t, unsigned)>& work) {
    const unsigned shares =
        worthThreads ? std::clamp(std::thread::hardware_concurrency(), 1u, 8u) : 1;
    std::vector<std::thread> threads;
    for (unsigned share = 1; share < shares; ++share) {
        const std::size_t begin = count * share / shares;
        const std::size_t end = count * (share + 1) / shares;
        try {
            threads.emplace_back(work, begin, end, share);
        } catch (const std::system_error&) {
            work(begin, end, share); // no thread to be had: this one does the share
        }
    }
    work(0, count / shares, 0);
    for (std::thread& thread : threads) {
        thread.join();
    }
    return shares;
}

Check checkItems(const Rules& rules, const std::vector<Item>& items,
                 const std::vector<std::optional<std::uint64_t>>& blockRooms) {
    Check check;
    check.strategy = rules.strategy;
    check.bothStrategies = rules.bothStrategies;
    check.codes = rules.originalCodes != nullptr && rules.translationCodes != nullptr;
    if (rules.screen != nullptr) {
        check.widths = rules.screen->widths();
    }
    const screen::WidthFile* widths = check.widths ? &*check.widths : nullptr;
    const std::size_t count = items.size();
    check.items = Verdicts(count);
    const auto judgeItem = [&](std::size_t i, const TextFigures& original,
                               const TextFigures* translation) {
        Verdict& verdict = check.items[i];
        if (translation == nullptr) {
            verdict = judge(original, {}, items[i].budget, rules.strategy, nullptr);
            verdict.translated = false;
        } else {
            verdict = judge(original, *translation, items[i].budget, rules.strategy, widths, 0,
                            rules.codesOrder);
        }
    };

    // The texts are shared out, two an item: a script of one long line takes two threads.
    // An item is judged where both its texts are measured, so that only its verdict is kept;
    // an item whose texts fall into two shares waits for both.
    struct Cut {
        std::size_t item = 0;
        std::optional<TextFigures> figures;
    };
    std::array<Cut, 8> cutOriginals;
    std::array<Cut, 8> cutTranslations;
    std::size_t characters = 0;
    for (const Item& item : items) {
        characters += item.original.size() + item.translation.size();
    }
    const bool worthThreads = 2 * count >= kTextsPerShare || characters >= kCharactersPerShare;
    inShares(2 * count, worthThreads, [&](std::size_t begin, std::size_t end, unsigned share) {
        std::size_t k = begin;
        if (k < end && k % 2 == 1) { // the share starts with a translation
            const std::size_t i = k / 2;
            if (items[i].translated) {
                cutTranslations[share] = {i, measure(rules, false, items[i].translation)};
            }
            ++k;
        }
        for (; k < end; k += 2) {
            const std::size_t i = k / 2;
            const Item& item = items[i];
            check.items.make(i); // by the share that holds the item's original
            TextFigures original = measure(rules, true, item.original);
            if (!item.translated) {
                judgeItem(i, original, nullptr);
            } else if (k + 1 == end) {
                cutOriginals[share] = {i, std::move(original)};
            } else {
                const TextFigures translation = measure(rules, false, item.translation);
                judgeItem(i, original, &translation);
            }
        }
    });
    for (const Cut& translation : cutTranslations) {
        for (const Cut& original : cutOriginals) {
            if (translation.figures && original.figures && original.item == translation.item) {
                judgeItem(translation.item, *original.figures, &*translation.figures);
            }
        }
    }

    // The blocks fill in the items' order, and the summary counts the verdicts.
    check.blocks.resize(blockRooms.size());
    for (std::size_t b = 0; b < blockRooms.size(); ++b) {
        check.blocks[b].room = blockRooms[b];
    }
    Summary& summary = check.summary;
    for (std::size_t i = 0; i < count; ++i) {
        const Item& item = items[i];
        Verdict& verdict = check.items[i];
        summary.originalUncovered += verdict.original.uncovered;
        if (!summary.firstOriginalUncovered && verdict.original.firstUncovered) {
            summary.firstOriginalUncovered = i;
        }
        summary.originalBytes += verdict.original.of(rules.strategy);
        if (!verdict.translated) {
            ++summary.untranslated;
            continue;
        }
        const std::size_t bytes = verdict.translation.of(rules.strategy);
        if (item.block) {
            BlockVerdict& block = check.blocks[*item.block];
            block.used += bytes;
            if (!block.fits()) {
                verdict.pastBlock = std::min<std::size_t>(bytes, block.used - *block.room);
            }
        }
        summary.over += verdict.overBudget() ? 1 : 0;
        summary.offScreen += verdict.screenFits() ? 0 : 1;
        summary.codesDiffer += verdict.codesFit() ? 0 : 1;
        summary.failing += verdict.fits() ? 0 : 1;
        summary.translationBytes += bytes;
        summary.uncovered += verdict.translation.uncovered;
        if (!summary.firstUncovered && verdict.translation.firstUncovered) {
            summary.firstUncovered = i;
        }
    }
    summary.checked = count;
    for (const BlockVerdict& block : check.blocks) {
        summary.blocksOver += block.fits() ? 0 : 1;
    }
    return check;
}

} // namespace check
