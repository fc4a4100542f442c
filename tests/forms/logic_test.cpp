// The main window's logic without widgets: edit commands and table keys.
#include "forms/main/edit_commands.h"
#include "forms/main/table_keys.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace Qt::StringLiterals;

// A box as text: '|' is the caret, [ ] the selection ("a[bc]d" has "bc" selected).
edit::BoxState box(const char* shown) {
    QString text = QString::fromUtf8(shown);
    const int open = static_cast<int>(text.indexOf(QLatin1Char('[')));
    const int start = open >= 0 ? open : static_cast<int>(text.indexOf(QLatin1Char('|')));
    const int close = static_cast<int>(text.indexOf(QLatin1Char(']')));
    text.remove(QLatin1Char('[')).remove(QLatin1Char(']')).remove(QLatin1Char('|'));
    return {text, start, open >= 0 ? close - open - 1 : 0};
}

// A result as text with '|' at its caret; results select nothing.
std::string shown(const edit::BoxState& state) {
    EXPECT_EQ(state.selectionLength, 0) << state.text.toStdString();
    return QString(state.text).insert(state.selectionStart, QLatin1Char('|')).toStdString();
}

TEST(EditCommands, ActOnTheSelectionAndTheSnapshot) {
    EXPECT_EQ(shown(edit::undo(edit::UndoSnapshot{u"dal"_s, 2})), "da|l");
    EXPECT_EQ(shown(edit::undo(edit::UndoSnapshot{u"dal"_s, 50})), "dal|");
    EXPECT_EQ(shown(edit::undo(std::nullopt)), "|");

    // Undo is offered for a snapshot with text; select all unless all is selected.
    const edit::MenuStates states = edit::menuStates(box("[abc]"), QString(), edit::UndoSnapshot{});
    EXPECT_EQ(std::tuple(states.undo, states.cut, states.paste, states.selectAll),
              std::tuple(false, true, false, false));
    EXPECT_TRUE(edit::menuStates(box("a|"), QString(), edit::UndoSnapshot{u"x"_s, 0}).undo);
}

// Every key through the table rule. The table holds A and è (one character each) and "the";
// plain typing of held and other characters is in the main window's test.
TEST(TableKeys, FollowTheTable) {
    const auto holds = [](const QString& c) {
        return QStringList{u"A"_s, u"è"_s, u"the"_s, u"\n"_s, u"\uE000"_s, u"😀"_s}.contains(c);
    };
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char *text, *before, *after; // `after` nullptr: the key changes nothing
    } rows[] = {
        {"Backspace", Qt::Key_Backspace, {}, "\b", "ab|c", "a|c"},
        {"Backspace at the start", Qt::Key_Backspace, {}, "\b", "|abc", nullptr},
        {"Backspace after the first", Qt::Key_Backspace, {}, "\b", "a|bc", "|bc"},
        {"Backspace on a selection", Qt::Key_Backspace, {}, "\b", "a[bc]def", "a|def"},
        {"Ctrl+H is Backspace", Qt::Key_H, Qt::ControlModifier, "h", "ab|c", "a|c"},
        {"Delete", Qt::Key_Delete, {}, "\x7f", "a|bc", "a|c"},
        {"Delete at the end", Qt::Key_Delete, {}, "", "abc|", nullptr},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, "", "a[bc]d", "a|d"},
        {"blank over a selection", Qt::Key_Space, {}, " ", "a[bc]d", "a |d"},
        {"private use", Qt::Key_unknown, {}, "\uE000", "|", "\uE000|"},
        {"beyond the BMP", Qt::Key_unknown, {}, "😀", "|", "😀|"},
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
    EXPECT_EQ(
        shown(*tablekeys::applyTableKey(box("a[bc]d"), tablekeys::TableKey::typed(u"\n"_s), holds)),
        "a|d");
    // Keys that only move, select or change focus are no keys of the rule.
    for (const int key : {int(Qt::Key_Left), int(Qt::Key_Home), int(Qt::Key_Tab),
                          int(Qt::Key_Shift), int(Qt::Key_F2)}) {
        EXPECT_TRUE(tablekeys::keysForKeyEvent(key, {}, QString()).empty()) << key;
    }
    EXPECT_EQ(tablekeys::keysForKeyEvent(Qt::Key_Escape, {}, QString()).front().character,
              QString(QChar(27)));
    EXPECT_EQ(tablekeys::keysForCommittedText(u"z😀é"_s).size(), 3U);
}

} // namespace
