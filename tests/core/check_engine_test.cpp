#include "core/check_engine.h"

#include <gtest/gtest.h>

#include <random>

using namespace check;

namespace {

// One byte per letter, "B" two; a labelled line break and a box code, one byte each; "Q" a
// code that starts a longer one, so that "QR" written as Q then R reads back as the other
// entry.
const encoding::TableEncoding kTable = encoding::TableEncoding::read(
    "41=A\n42=B\n8142=b\n20= \n*FE=<br>\nFC=<box>\n/FF=<end>\n51=Q\n52=R\n5152=W\n");
const screen::ScreenMeasure
    kScreen(kTable, screen::WidthFile::read("@line=10\n@lines=2\n@default=5\nFC=box\n").file);
const Rules kRules{kTable, kTable, &kScreen, Strategy::Greedy, false};

struct Row {
    const char16_t* original;
    const char16_t* translation;
    std::optional<std::size_t> block; // into rooms {5, none}
    const char* want; // bytes, block, line, box verdicts ("+" fits, "-" fails), then fits
};

} // namespace

// Every limit at its boundary and one past it, alone and with the others.
TEST(CheckEngineTest, EachLimitAtItsBoundary) {
    const Row rows[] = {
        {u"AAA", u"Ab", {}, "++++ fits"},              // 3 bytes against 3, 10 px
        {u"AAA", u"bb", {}, "-+++ over"},              // 4 against 3
        {u"AAA", u"QR", {}, "-+++ over"},              // misread within its budget
        {u"AAAAA", u"AA<br>AA", {}, "++++ fits"},      // two lines of 10 px
        {u"AAAAA", u"AAA", {}, "++-+ over"},           // 15 px
        {u"AAAAAAA", u"A<br>A<br>A", {}, "+++- over"}, // three lines in a box of two
        {u"AAAAAAA", u"A<br>A<box>A", {}, "++++ fits"},
        {u"AAA", u"AAA", {0}, "++-+ over"}, // block 5: 3 used
        {u"AAA", u"AA", {0}, "++++ fits"},  // 5 of 5
        {u"AAA", u"A", {0}, "+-++ over"},   // 6 of 5: 1 past the block
        {u"AAA", u"AAA", {1}, "++-+ over"}, // a block without an end
    };
    std::vector<Item> items;
    for (const Row& row : rows) {
        items.push_back(Item{row.original, row.translation, true, {}, row.block});
    }
    const Check check = checkItems(kRules, items, {5, std::nullopt});
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Verdict& v = check.items[i];
        const auto sign = [](bool fits) { return fits ? '+' : '-'; };
        const std::string got = {sign(v.bytesFit), sign(v.blockFits()), sign(!v.screen->lineOver),
                                 sign(!v.screen->boxOver)};
        EXPECT_EQ(got + (v.fits() ? " fits" : " over"), rows[i].want)
            << i << ": past block " << v.pastBlock;
    }
    EXPECT_EQ(check.items[9].pastBlock, 1u);
}

// On random items of every kind (plain, with an own limit, in blocks, untranslated) under
// random limits: each verdict is what the table and the screen say of its texts, taken
// directly, and the summary counts exactly the verdicts.
TEST(CheckEngineTest, VerdictsAndSummaryAgreeWithTheirDefinitions) {
    std::mt19937 random(28);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const char16_t* pieces[] = {u"A", u"B", u"b", u" ", u"<br>", u"<box>", u"Q", u"R", u"x"};
    for (int round = 0; round < 300; ++round) {
        const std::string wid =
            "@line=" + std::to_string(pick(30)) +
            (pick(2) ? "\n@lines=" + std::to_string(1 + pick(3)) : "") +
            "\n@default=" + std::to_string(pick(6)) + "\n@gap=" + std::to_string(pick(2)) +
            "\nFE=" + std::to_string(pick(4)) + (pick(2) ? "\nFC=box\n" : "\nFC=3\n");
        const screen::ScreenMeasure screen(kTable, screen::WidthFile::read(wid).file);
        const Strategy strategy = pick(2) ? Strategy::Optimal : Strategy::Greedy;
        const Rules rules{kTable, kTable, pick(4) ? &screen : nullptr, strategy, pick(2) == 0};
        std::vector<std::u16string> texts;
        // Some rounds are long enough to be shared out among threads, an item cut between two.
        for (unsigned i = 0, n = 2 * (round % 30 ? 1 + pick(8) : 2049 + 2 * pick(4)); i < n; ++i) {
            texts.emplace_back();
            for (unsigned k = pick(7); k > 0; --k) {
                texts.back() += pieces[pick(std::size(pieces))];
            }
        }
        std::vector<std::optional<std::uint64_t>> rooms(pick(3));
        for (auto& room : rooms) {
            room = pick(3) ? std::optional<std::uint64_t>(pick(12)) : std::nullopt;
        }
        const std::optional<std::uint64_t> commandLimit =
            pick(4) ? std::nullopt : std::optional<std::uint64_t>(pick(8));
        std::vector<Item> items;
        for (std::size_t i = 0; i < texts.size(); i += 2) {
            const auto own = pick(2) ? std::optional<std::uint64_t>(pick(10)) : std::nullopt;
            items.push_back(Item{texts[i], texts[i + 1], pick(6) > 0,
                                 settleBudget(commandLimit, own, BudgetSource::RecordedRoom),
                                 rooms.empty() || pick(3) == 0
                                     ? std::nullopt
                                     : std::optional<std::size_t>(pick(rooms.size()))});
        }
        const Check check = checkItems(rules, items, rooms);

        Summary want;
        std::vector<std::size_t> used(rooms.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const Item& item = items[i];
            const Verdict& v = check.items[i];
            const auto cost = [&](std::u16string_view text) {
                const encoding::TextCost c = kTable.encode(text);
                const bool optimal = strategy == Strategy::Optimal;
                return std::pair(optimal ? c.optimal.bytes : c.greedy.bytes,
                                 optimal ? !c.cannotBeWrittenAt : !c.misread);
            };
            const auto [originalBytes, originalReadsBack] = cost(item.original);
            want.originalBytes += originalBytes;
            const std::size_t budget =
                commandLimit ? *commandLimit : item.budget.bytes.value_or(originalBytes);
            ASSERT_EQ(v.budget, budget);
            ASSERT_EQ(v.source, commandLimit        ? BudgetSource::Limit
                                : item.budget.bytes ? BudgetSource::RecordedRoom
                                                    : BudgetSource::Original);
            if (!item.translated) { // however far over every limit: counted, never judged
                EXPECT_TRUE(v.fits() && !v.screen);
                ++want.untranslated;
                continue;
            }
            const auto [bytes, readsBack] = cost(item.translation);
            ASSERT_EQ(v.bytesFit, bytes <= budget && readsBack) << i;
            std::size_t past = 0;
            if (item.block) {
                used[*item.block] += bytes;
                const auto room = rooms[*item.block];
                past = room && used[*item.block] > *room
                           ? std::min(bytes, used[*item.block] - *room)
                           : 0;
            }
            ASSERT_EQ(v.pastBlock, past);
            bool onScreen = true;
            if (rules.screen != nullptr) {
                const screen::TextMeasure m = screen.measure(item.translation);
                onScreen = !m.firstOverflow;
                ASSERT_EQ(v.screen->translation.widest, m.widest());
                ASSERT_EQ(v.screen->fits(), onScreen) << wid;
            }
            want.over += v.bytesFit && past == 0 ? 0 : 1;
            want.offScreen += onScreen ? 0 : 1;
            want.failing += v.bytesFit && past == 0 && onScreen ? 0 : 1;
            ASSERT_EQ(v.fits(), v.bytesFit && past == 0 && onScreen);
        }
        EXPECT_EQ(check.summary.originalBytes, want.originalBytes);
        EXPECT_EQ(check.summary.over, want.over);
        EXPECT_EQ(check.summary.offScreen, want.offScreen);
        EXPECT_EQ(check.summary.untranslated, want.untranslated);
        EXPECT_EQ(check.allFit(), want.failing == 0);
        for (std::size_t b = 0; b < rooms.size(); ++b) {
            EXPECT_EQ(check.blocks[b].fits(), !rooms[b] || used[b] <= *rooms[b]);
        }
    }
}

namespace {

// "<a> <a> |<b> |<c> |end|order": an item's missing, extra and unknown codes, the end, the order.
std::string describe(const codes::CodeDifferences& found) {
    std::string out;
    for (const auto* labels : {&found.missing, &found.extra, &found.unknown}) {
        for (const std::u16string& label : *labels) {
            out += std::string(label.begin(), label.end()) + ' ';
        }
        out += '|';
    }
    return out + (found.endNotLast ? "end" : "") + '|' + (found.orderDiffers ? "order" : "");
}

// The originals' table gives the codes other bytes and a label a line end tail; `<box>` is a
// box code, `<br>` a line break, `[sfx]` a code, `{x y}` no code (a blank inside).
const encoding::TableEncoding kJapanese = encoding::TableEncoding::read(
    "8140=A\n8141=B\nF0F0=<name>\nF1=<wait>\n/FFFF=<end>\\n\nF3=[sfx]\n*FE=<br>\n");
const encoding::TableEncoding kLatin = encoding::TableEncoding::read(
    "41=A\n42=B\n20= \nF0=<name>\nF1=<wait>\n/FF=<end>\nF3=[sfx]\n*FE=<br>\nFC=<box>\n"
    "F4={x y}\n");
const codes::CodeTable kOriginalCodes(kJapanese);
const codes::CodeTable kTranslationCodes(kLatin, {"\xFC"});

Verdict codesOf(std::u16string_view original, std::u16string_view translation, bool order) {
    const Rules rules{kJapanese,          kLatin, nullptr, Strategy::Greedy, false, &kOriginalCodes,
                      &kTranslationCodes, order};
    return judge(measure(rules, true, original), measure(rules, false, translation), {},
                 Strategy::Greedy, nullptr, 0, order);
}

} // namespace

TEST(CodesTest, EachKindOfDifference) {
    const std::tuple<const char16_t*, const char16_t*, bool, const char*> rows[] = {
        {u"A<name>B<wait><end>\\n", u"B <name> A<wait><end>", false, "||||"},
        {u"A<name>B<wait><end>\\n", u"B <wait> <name><end>\n ", true, "||||order"},
        {u"A<name><wait>", u"A<wait><wait><wait>", false, "<name> |<wait> <wait> |||"},
        {u"A<end>\\n", u"A<end>B", false, "|||end|"},
        {u"A<end>\\n", u"A", false, "<end> |||end|"},
        {u"A", u"<nmae>A<$0A>[sfx]{x y}<br><box><x", false, "|[sfx] |<nmae> ||"},
        {u"A<name><end>", u" \n", false, "||||"}, // not translated yet
    };
    for (const auto& [original, translation, order, want] : rows) {
        EXPECT_EQ(describe(*codesOf(original, translation, order).codes), want) << std::string(
            translation, translation + std::char_traits<char16_t>::length(translation));
    }
}

// A translation that keeps the original's codes among new words differs in nothing (under
// --codes-order, in their order only when it moved them); one code taken out or put in is
// exactly that code missing or extra.
TEST(CodesTest, MovedDroppedAndAddedCodes) {
    std::mt19937 random(27);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const std::u16string labels[] = {u"<name>", u"<wait>", u"[sfx]"};
    for (int round = 0; round < 400; ++round) {
        std::vector<std::u16string> codes(pick(5));
        for (auto& code : codes) {
            code = labels[pick(3)];
        }
        const auto words = [&] { return std::u16string(pick(3), u"AB"[pick(2)]); };
        std::u16string original;
        for (const auto& code : codes) {
            original += code + words();
        }
        auto shuffled = codes;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        const auto text = [&](const std::vector<std::u16string>& list) {
            std::u16string out = u"A";
            for (const auto& code : list) {
                out += words() + u' ' + code;
            }
            return out;
        };
        EXPECT_EQ(describe(*codesOf(original, text(shuffled), false).codes), "||||");
        EXPECT_EQ(describe(*codesOf(original, text(shuffled), true).codes),
                  shuffled == codes ? "||||" : "||||order");
        const std::u16string added = labels[pick(3)];
        auto more = shuffled;
        more.insert(more.begin() + pick(more.size() + 1), added);
        EXPECT_EQ(describe(*codesOf(original, text(more), true).codes),
                  "|" + std::string(added.begin(), added.end()) + " |||");
        if (!codes.empty()) {
            const std::u16string dropped = shuffled.back();
            shuffled.pop_back();
            EXPECT_EQ(describe(*codesOf(original, text(shuffled), true).codes),
                      std::string(dropped.begin(), dropped.end()) + " ||||");
        }
    }
}
