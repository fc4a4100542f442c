// The main window's and the Mini Counter's logic without widgets: edit commands, table keys
// and how the differences look.
#include "forms/main/byte_meter.h"
#include "forms/main/difference.h"
#include "forms/main/edit_commands.h"
#include "forms/main/table_keys.h"
#include "platform/widgets/palette.h"

#include <gtest/gtest.h>

namespace {

// A box as text: '|' is the caret, [ ] the selection ("a[bc]d" has "bc" selected).
edit::BoxState box(const char* shown) {
    QString text = QString::fromUtf8(shown);
    edit::BoxState state;
    const qsizetype open = text.indexOf(QLatin1Char('['));
    if (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        state.selectionStart = static_cast<int>(open);
        state.selectionLength = static_cast<int>(close - open - 1);
        text.remove(close, 1).remove(open, 1);
    } else {
        state.selectionStart = static_cast<int>(text.indexOf(QLatin1Char('|')));
        text.remove(state.selectionStart, 1);
    }
    state.text = text;
    return state;
}

std::string shown(const edit::BoxState& state) {
    QString text = state.text;
    if (state.selectionLength > 0) {
        text.insert(state.selectionStart + state.selectionLength, QLatin1Char(']'));
        text.insert(state.selectionStart, QLatin1Char('['));
    } else {
        text.insert(state.selectionStart, QLatin1Char('|'));
    }
    return text.toStdString();
}

TEST(EditCommands, ActOnTheSelectionAndTheSnapshot) {
    EXPECT_EQ(shown(edit::undo(edit::UndoSnapshot{QStringLiteral("dal"), 2})), "da|l");
    EXPECT_EQ(shown(edit::undo(edit::UndoSnapshot{QStringLiteral("dal"), 50})), "dal|");
    EXPECT_EQ(shown(edit::undo(std::nullopt)), "|");

    const struct {
        const char* box;
        const char* clipboard;
        std::optional<edit::UndoSnapshot> undo;
        const char* states; // undo, cut, copy, paste, delete, select all: 1 enabled
    } rows[] = {
        {"|", "", std::nullopt, "000000"},
        {"ab|c", "x", edit::UndoSnapshot{QString(), 0}, "000101"},
        {"a[b]c", "", edit::UndoSnapshot{QStringLiteral("z"), 0}, "111011"},
        {"[abc]", "x", std::nullopt, "011110"},
    };
    for (const auto& row : rows) {
        const edit::MenuStates s =
            edit::menuStates(box(row.box), QString::fromUtf8(row.clipboard), row.undo);
        std::string got;
        for (const bool enabled : {s.undo, s.cut, s.copy, s.paste, s.remove, s.selectAll}) {
            got += enabled ? '1' : '0';
        }
        EXPECT_EQ(got, row.states) << row.box;
    }
}

// Every key through the table rule. The table holds A, x and è (one character each) and "the".
TEST(TableKeys, FollowTheTable) {
    const auto holds = [](const QString& c) {
        return c == QLatin1String("A") || c == QLatin1String("x") || c == QStringLiteral("è") ||
               c == QLatin1String("the") || c == QLatin1String("\n");
    };
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        const char* before;
        const char* after; // nullptr: the key changes nothing
    } rows[] = {
        {"Backspace", Qt::Key_Backspace, {}, "\b", "ab|c", "a|c"},
        {"Backspace at the start", Qt::Key_Backspace, {}, "\b", "|abc", nullptr},
        {"Backspace on a selection", Qt::Key_Backspace, {}, "\b", "a[bc]def", "a|def"},
        {"Ctrl+H is Backspace", Qt::Key_H, Qt::ControlModifier, "h", "ab|c", "a|c"},
        {"Delete", Qt::Key_Delete, {}, "\x7f", "a|bc", "a|c"},
        {"Delete at the end", Qt::Key_Delete, {}, "", "abc|", nullptr},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, "", "a[bc]d", "a|d"},
        {"blank over a selection", Qt::Key_Space, {}, " ", "a[bc]d", "a |d"},
        {"held character", Qt::Key_unknown, {}, "A", "x|y", "xA|y"},
        {"case counts", Qt::Key_A, {}, "a", "x|y", nullptr},
        {"part of a longer entry", Qt::Key_T, {}, "t", "ab|", nullptr},
        {"beyond ASCII", Qt::Key_unknown, {}, "è", "ab|", "abè|"},
        {"over a selection", Qt::Key_unknown, {}, "A", "a[bc]d", "aA|d"},
        {"Enter", Qt::Key_Return, {}, "\r", "a|b", nullptr},
        {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, "\x16", "a|b", nullptr},
        {"AltGr", Qt::Key_unknown, Qt::ControlModifier | Qt::AltModifier, "A", "|", "A|"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<tablekeys::TableKey> keys =
            tablekeys::keysForKeyEvent(row.key, row.modifiers, QString::fromUtf8(row.text));
        ASSERT_EQ(keys.size(), 1U);
        const std::optional<edit::BoxState> after =
            tablekeys::applyTableKey(box(row.before), keys.front(), holds);
        EXPECT_EQ(after ? shown(*after) : "unchanged", row.after ? row.after : "unchanged");
    }
    // A line break that the table holds goes the way of every line break into a box.
    EXPECT_EQ(shown(*tablekeys::applyTableKey(
                  box("a[bc]d"), tablekeys::TableKey::typed(QStringLiteral("\n")), holds)),
              "a|d");
    // Keys that only move, select or change focus are no keys of the rule.
    for (const int key : {int(Qt::Key_Left), int(Qt::Key_Home), int(Qt::Key_Tab),
                          int(Qt::Key_Shift), int(Qt::Key_F2)}) {
        EXPECT_TRUE(tablekeys::keysForKeyEvent(key, {}, QString()).empty()) << key;
    }
    EXPECT_EQ(tablekeys::keysForKeyEvent(Qt::Key_Escape, {}, QString()).front().character,
              QString(QChar(27)));
    EXPECT_EQ(tablekeys::keysForCommittedText(QStringLiteral("zé😀")).size(), 3U);
}

// The bytes of both texts under a table of single letters and two longer entries: "abcd" is
// ab c d (3 bytes) greedily and a bcd (2) at best.
TEST(ByteMeter, CountsBothTextsAsTheInsertersDo) {
    ByteMeter meter;
    EXPECT_FALSE(meter.load("# no entry\r\n"));
    ASSERT_TRUE(meter.load("61=a\r\n62=b\r\n63=c\r\n64=d\r\n80=ab\r\n81=bcd\r\n"));
    const struct {
        const char* original;
        const char* translation;
        const char* caption;
        const char* difference;
        QColor colour;
    } rows[] = {{"ab", "abcd", "Byte: 3 / 1", "+2", palette::kRed},
                {"dcba", "abcd", "Byte: 3 / 4", "-1", palette::kGreen},
                {"abdc", "abcd", "Byte: 3 / 3", "0", palette::kYellow}};
    for (const auto& row : rows) {
        meter.setText(ByteMeter::Original, QString::fromUtf8(row.original));
        meter.setText(ByteMeter::Translation, QString::fromUtf8(row.translation));
        const ByteMeter::Look look = meter.look();
        EXPECT_EQ(look.caption, QLatin1String(row.caption));
        EXPECT_EQ(look.difference, QLatin1String(row.difference));
        EXPECT_EQ(look.colour, row.colour);
    }
    meter.setText(ByteMeter::Original, QStringLiteral("abcz"));
    EXPECT_EQ(meter.look().toolTip.toStdString(),
              "Traduzione: 3 byte come gli inseritori (la voce più lunga prima), 2 al meglio\n"
              "Originale: 2 byte come gli inseritori (la voce più lunga prima), 2 al meglio; "
              "1 caratteri assenti dalla tabella, il primo in posizione 4");
    meter.clear();
    EXPECT_FALSE(meter.isLoaded());
}

} // namespace
