#include "form1_fixture.h"

namespace {

struct EnablingRow {
    const char* name;
    const char* text;
    int selectionStart;
    int selectionLength;
    const char* clipboard;
    const char* undoText; // nullptr: no snapshot
    bool undo, cut, paste, selectAll;
};

// Right-clicks the box and reads the six items' states from its menu.
TEST_F(Form1Test, MenuItemsFollowSelectionClipboardAndSnapshot) {
    const EnablingRow rows[] = {
        {"empty box, nothing anywhere", "", 0, 0, "", nullptr, false, false, false, false},
        {"whole text selected", "abc", 0, 3, "", nullptr, false, true, false, false},
        {"part selected, clipboard text", "abcdef", 2, 2, "XYZ", nullptr, false, true, true, true},
        {"caret only", "abc", 1, 0, "", nullptr, false, false, false, true},
        {"snapshot of an empty box", "", 0, 0, "", "", false, false, false, false},
        {"snapshot", "", 0, 0, "", "prima", true, false, false, false},
    };
    for (const EnablingRow& row : rows) {
        box(2)->setText(QString::fromUtf8(row.text));
        box(2)->setSelection(row.selectionStart, row.selectionLength);
        QGuiApplication::clipboard()->setText(QString::fromUtf8(row.clipboard));
        form.UndoText =
            row.undoText ? std::optional(QString::fromUtf8(row.undoText)) : std::nullopt;
        press(box(2), Qt::RightButton);
        auto* menu = get<QMenu>("m1");
        EXPECT_TRUE(menu->isVisible()) << row.name;
        EXPECT_EQ(item("mAnn2")->isEnabled(), row.undo) << row.name;
        EXPECT_EQ(item("mCut2")->isEnabled(), row.cut) << row.name;
        EXPECT_EQ(item("mCopy2")->isEnabled(), row.cut) << row.name;
        EXPECT_EQ(item("mDel2")->isEnabled(), row.cut) << row.name;
        EXPECT_EQ(item("mInc2")->isEnabled(), row.paste) << row.name;
        EXPECT_EQ(item("mSelT2")->isEnabled(), row.selectAll) << row.name;
        menu->hide();
        release(box(2), Qt::RightButton);
    }
}

TEST_F(Form1Test, MenusCarryTheirItemsInOrderWithAccessKeys) {
    auto captions = [](QMenu* menu) {
        QStringList list;
        for (QAction* action : menu->actions()) {
            list << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return list;
    };
    const QStringList expected = {QStringLiteral("&Annulla"), QStringLiteral("-"),
                                  QStringLiteral("&Taglia"),  QStringLiteral("&Copia"),
                                  QStringLiteral("&Incolla"), QStringLiteral("&Elimina"),
                                  QStringLiteral("-"),        QStringLiteral("Sele&ziona tutto")};
    EXPECT_EQ(captions(get<QMenu>("m0")), expected);
    EXPECT_EQ(captions(get<QMenu>("m1")), expected);
    EXPECT_EQ(get<QMenu>("m0")->title(), QStringLiteral("menù Text1"));
    EXPECT_EQ(get<QMenu>("m1")->title(), QStringLiteral("menù Text2"));
    for (const char* separator : {"mnullo1", "mnullo2", "mNullo3", "mNullo4"}) {
        EXPECT_TRUE(item(separator)->isSeparator()) << separator;
    }
}

TEST_F(Form1Test, LeftClickRefreshesTheStatesButShowsNoMenu) {
    box(1)->setText(QStringLiteral("abc"));
    box(1)->selectAll();
    press(box(1), Qt::LeftButton);
    release(box(1), Qt::LeftButton);
    EXPECT_FALSE(get<QMenu>("m0")->isVisible());
    // The click put the caret down, the press saw the whole text selected.
    EXPECT_FALSE(item("mSelT")->isEnabled());
    EXPECT_TRUE(item("mCut")->isEnabled());
    EXPECT_FALSE(box(1)->contextMenuPolicy() == Qt::DefaultContextMenu);
}

TEST_F(Form1Test, PasteGoesInAtTheSelectionStartAndMovesTheCaretByOne) {
    box(2)->setText(QStringLiteral("abcdef"));
    box(2)->setSelection(2, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("XYZ"));
    item("mInc2")->trigger();
    EXPECT_EQ(box(2)->text(), QStringLiteral("abXYZcdef"));
    EXPECT_EQ(box(2)->cursorPosition(), 3);
    EXPECT_FALSE(box(2)->hasSelectedText());
    EXPECT_EQ(form.UndoCaret, 2);
    EXPECT_EQ(form.PasteText, QStringLiteral("XYZ"));
    EXPECT_EQ(caption("car2"), QStringLiteral("9"));
    EXPECT_EQ(caption("differ"), QStringLiteral("9"));

    box(1)->setText(QStringLiteral("abc"));
    box(1)->setCursorPosition(3);
    QGuiApplication::clipboard()->setText(QStringLiteral("12"));
    item("mInc")->trigger();
    EXPECT_EQ(box(1)->text(), QStringLiteral("abc12"));
    EXPECT_EQ(box(1)->cursorPosition(), 4);

    // A clipboard emptied after the menu opened: the text stays, the caret still moves.
    box(1)->setCursorPosition(1);
    QGuiApplication::clipboard()->clear();
    item("mInc")->trigger();
    EXPECT_EQ(box(1)->text(), QStringLiteral("abc12"));
    EXPECT_EQ(box(1)->cursorPosition(), 2);
    EXPECT_EQ(form.UndoCaret, 1);

    // Line breaks never get in.
    box(1)->setCursorPosition(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("x\r\ny"));
    item("mInc")->trigger();
    EXPECT_EQ(box(1)->text(), QStringLiteral("xyabc12"));
}

TEST_F(Form1Test, CutCopyAndDeleteWorkOnTheSelection) {
    box(2)->setText(QStringLiteral("abcdef"));
    box(2)->setSelection(2, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    item("mCut2")->trigger();
    EXPECT_EQ(box(2)->text(), QStringLiteral("abef"));
    EXPECT_EQ(box(2)->cursorPosition(), 2);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("cd"));
    EXPECT_EQ(caption("car2"), QStringLiteral("4"));

    box(2)->setSelection(0, 1);
    item("mCopy2")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a"));
    EXPECT_EQ(box(2)->text(), QStringLiteral("abef"));

    box(2)->setSelection(1, 2);
    item("mDel2")->trigger();
    EXPECT_EQ(box(2)->text(), QStringLiteral("af"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a"));
    EXPECT_EQ(caption("car2"), QStringLiteral("2"));

    item("mSelT2")->trigger();
    EXPECT_EQ(box(2)->selectedText(), QStringLiteral("af"));
}

TEST_F(Form1Test, UndoWritesTheSharedSnapshotIntoWhicheverBoxAsks) {
    form.UndoText = QStringLiteral("dal primo");
    form.UndoCaret = 4;
    box(2)->setText(QStringLiteral("altro"));
    for (int round = 0; round < 2; ++round) {
        item("mAnn2")->trigger();
        EXPECT_EQ(box(2)->text(), QStringLiteral("dal primo"));
        EXPECT_EQ(box(2)->cursorPosition(), 4);
        EXPECT_EQ(caption("car2"), QStringLiteral("9"));
    }
    // A caret beyond the snapshot's end stands at the end.
    form.UndoCaret = 50;
    item("mAnn")->trigger();
    EXPECT_EQ(box(1)->text(), QStringLiteral("dal primo"));
    EXPECT_EQ(box(1)->cursorPosition(), 9);
    EXPECT_EQ(caption("differ"), QStringLiteral("0"));
}

TEST_F(Form1Test, ALoadStartsWithoutASnapshot) {
    form.UndoText = QStringLiteral("x");
    form.UndoCaret = 1;
    form.unload();
    form.load();
    EXPECT_FALSE(form.UndoText.has_value());
    EXPECT_FALSE(form.UndoCaret.has_value());
    EXPECT_EQ(form.TableOn, 0);
}

} // namespace
