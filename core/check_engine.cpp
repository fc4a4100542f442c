#include "core/check_engine.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace check {

namespace {

// Fewer texts, and fewer characters, are not worth a thread.
constexpr std::size_t kTextsPerShare = 4096;
constexpr std::size_t kCharactersPerShare = 1 << 20;

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
    const encoding::TextCost cost = table.encode(text, request);
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
        verdict.codes = std::make_shared<const codes::CodeDifferences>(
            translation.blank
                ? codes::CodeDifferences{}
                : codes::compareCodes(*original.codes, *translation.codes, codesOrder));
    }
    return verdict;
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
    const std::size_t count = items.size();
    // The texts are shared out, two an item: a script of one long line takes two threads. Their
    // bytes go straight into the verdicts, and what only some checks need into lists of their
    // own, so that a long script asks for no more memory than its verdicts.
    check.items.resize(count);
    std::vector<ScreenFigures> screens(rules.screen != nullptr ? 2 * count : 0);
    std::vector<codes::TextCodes> textCodes(check.codes ? 2 * count : 0);
    std::vector<char> blank(check.codes ? count : 0);
    std::size_t characters = 0;
    for (const Item& item : items) {
        characters += item.original.size() + item.translation.size();
    }
    const bool worthThreads = 2 * count >= kTextsPerShare || characters >= kCharactersPerShare;
    inShares(2 * count, worthThreads, [&](std::size_t begin, std::size_t end, unsigned) {
        for (std::size_t k = begin; k < end; ++k) {
            const Item& item = items[k / 2];
            const bool original = k % 2 == 0;
            if (!original && !item.translated) {
                continue;
            }
            TextFigures figures =
                measure(rules, original, original ? item.original : item.translation);
            Verdict& verdict = check.items[k / 2];
            (original ? verdict.original : verdict.translation) = std::move(figures.bytes);
            if (figures.screen) {
                screens[k] = *figures.screen;
            }
            if (figures.codes) {
                textCodes[k] = std::move(*figures.codes);
                if (!original) {
                    blank[k / 2] = figures.blank ? 1 : 0;
                }
            }
        }
    });
    // The figures of text k again, for judge(), moved out of the lists.
    const auto figuresOf = [&](std::size_t k, TextBytes&& bytes) {
        TextFigures figures;
        figures.bytes = std::move(bytes);
        if (!screens.empty()) {
            figures.screen = screens[k];
        }
        if (!textCodes.empty()) {
            figures.codes = std::move(textCodes[k]);
            figures.blank = k % 2 == 1 && blank[k / 2] != 0;
        }
        return figures;
    };

    check.blocks.resize(blockRooms.size());
    for (std::size_t b = 0; b < blockRooms.size(); ++b) {
        check.blocks[b].room = blockRooms[b];
    }
    const screen::WidthFile* widths = check.widths ? &*check.widths : nullptr;
    Summary& summary = check.summary;
    for (std::size_t i = 0; i < count; ++i) {
        const Item& item = items[i];
        Verdict& verdict = check.items[i];
        summary.originalUncovered += verdict.original.uncovered;
        if (!summary.firstOriginalUncovered && verdict.original.firstUncovered) {
            summary.firstOriginalUncovered = i;
        }
        summary.originalBytes += verdict.original.of(rules.strategy);
        if (!item.translated) {
            verdict = judge(figuresOf(2 * i, std::move(verdict.original)), {}, item.budget,
                            rules.strategy, nullptr);
            verdict.translated = false;
            ++summary.untranslated;
            continue;
        }
        // Each block's items fill it in their order.
        std::size_t pastBlock = 0;
        const std::size_t bytes = verdict.translation.of(rules.strategy);
        if (item.block) {
            BlockVerdict& block = check.blocks[*item.block];
            block.used += bytes;
            if (!block.fits()) {
                pastBlock = std::min<std::size_t>(bytes, block.used - *block.room);
            }
        }
        verdict = judge(figuresOf(2 * i, std::move(verdict.original)),
                        figuresOf(2 * i + 1, std::move(verdict.translation)), item.budget,
                        rules.strategy, widths, pastBlock, rules.codesOrder);
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
