#include "compact_fixture.h"
#include "core/char_table.h"
#include "platform/open_file_dialog.h"
#include "platform/program_end.h"
#include "platform/program_folder.h"
#include "platform/text_box.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace {

// A table holding A, the three letters "the", x twice, and è only at code FF (Windows-1252,
// since the file is not UTF-8).
const QByteArray kTestTable("41=A\r\n42=the\r\n43=x\r\n44=x\r\nFF=\xe8\r\n");

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text; // as the keyboard delivers it
};
const Key kBackspace{Qt::Key_Backspace, {}, QStringLiteral("\b")};
const Key kDelete{Qt::Key_Delete, {}, QStringLiteral("\x7f")}; // X11's text; QTest sends none

void press(QWidget* widget, const Key& key) {
    QTest::sendKeyEvent(QTest::Click, widget, key.key, key.text, key.modifiers);
}
Key typed(char16_t character) {
    return {Qt::Key_unknown, {}, QString(QChar(character))};
}
Key ctrl(Qt::Key key, const char* text = "") {
    return {key, Qt::ControlModifier, QString::fromLatin1(text)};
}

// A box as text with '|' at the caret and [ ] around the selection: "a[bc|]d" has "bc"
// selected rightwards, "a[|bc]d" leftwards.
QString shown(const QLineEdit* box) {
    const QString text = box->text();
    const int start = box->hasSelectedText() ? box->selectionStart() : -1;
    const int end = start < 0 ? -1 : start + int(box->selectedText().size());
    QString result;
    for (int i = 0; i <= text.size(); ++i) {
        result += QLatin1String(i == start ? "[" : "") +
                  QLatin1String(i == box->cursorPosition() ? "|" : "") +
                  QLatin1String(i == end ? "]" : "") + text.mid(i, 1);
    }
    return result;
}
void put(platform::TextBox* box, const QString& state) {
    QString text;
    int start = -1, end = -1, caret = 0;
    for (const QChar c : state) {
        if (c == u'[') {
            start = int(text.size());
        } else if (c == u']') {
            end = int(text.size());
        } else if (c == u'|') {
            caret = int(text.size());
        } else {
            text += c;
        }
    }
    box->setBoxText(text);
    box->setCursorPosition(caret);
    if (start >= 0) {
        box->setSelection(caret == start ? end : start, caret == start ? start - end : end - start);
    }
}

class Form1Table : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programFolder.isValid() && tableFolder.isValid());
        platform::setProgramFolderForTests(programFolder.path());
        platform::resetEndForTests();
        platform::setEndHandlerForTests([] {});
        Module1::CharTable = {};
        QGuiApplication::clipboard()->clear();
        form.setOpenFileDialog(&dialog);
        form.load();
    }
    void TearDown() override {
        form.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Module1::CharTable = {};
        QDir::setCurrent(workingFolder);
        platform::setEndHandlerForTests({});
        platform::resetEndForTests();
        platform::setProgramFolderForTests({});
    }

    QString putTable(const QString& name, const QByteArray& bytes) {
        const QString path = tableFolder.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }
    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // A press and release on CARICA TABLE through the window, as real input arrives.
    void clickLoadTable(Qt::MouseButton button = Qt::LeftButton,
                        const std::function<void()>& whilePressed = {}) {
        QWidget* pair = form.control<QWidget>(QStringLiteral("imTBLPair"));
        const QPoint at = pair->mapTo(form.window(), pair->rect().center());
        QTest::mousePress(form.window()->windowHandle(), button, {}, at);
        if (whilePressed) {
            whilePressed();
        }
        QTest::mouseRelease(form.window()->windowHandle(), button, {}, at);
    }
    void chooseTable(const QString& path) {
        dialog.queueChoice(path);
        clickLoadTable();
    }
    platform::TextBox* box(const char* name) {
        return form.control<platform::TextBox>(QLatin1String(name));
    }
    QCheckBox* check1() { return form.control<QCheckBox>(QStringLiteral("Check1")); }
    QString nTBL() { return form.control<QLabel>(QStringLiteral("nTBL"))->text(); }
    bool locked() { return box("Text1")->isLocked() && box("Text2")->isLocked(); }
    bool unlocked() { return !box("Text1")->isLocked() && !box("Text2")->isLocked(); }
    QAction* menuItem(const char* name) {
        return form.window()->findChild<QAction*>(QLatin1String(name));
    }

    // The user ticks or clears the check box and tabs on to Text1.
    void setCheckAndTabAway(bool checked) {
        form.window()->activateWindow();
        // Not qWaitForWindowActive: it counts the window active while its tool window is.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.window(); }));
        check1()->setFocus(Qt::TabFocusReason);
        if (check1()->isChecked() != checked) {
            QTest::keyClick(check1(), Qt::Key_Space);
        }
        QTest::keyClick(check1(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), box("Text1"));
    }
    void tableModeWithTestTable() {
        Module1::ParseTable(std::string_view(kTestTable.constData(), kTestTable.size()), {});
        setCheckAndTabAway(true);
    }

    QTemporaryDir programFolder;
    QTemporaryDir tableFolder;
    const QString workingFolder = QDir::currentPath();
    platform::FakeOpenFileDialog dialog;
    Form1 form;
};

TEST_F(Form1Table, AnyButtonOnTheLoadButtonOpensTheDialogAndACancelChangesNothing) {
    const QString caption = nTBL();
    int calls = 0;
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        dialog.queueCancel();
        clickLoadTable(button, [&] {
            EXPECT_TRUE(form.control<QWidget>(QStringLiteral("imTBL2"))->isVisible());
            EXPECT_FALSE(form.control<QWidget>(QStringLiteral("imTBL1"))->isVisible());
        });
        EXPECT_EQ(dialog.calls(), ++calls);
        EXPECT_TRUE(form.control<QWidget>(QStringLiteral("imTBL1"))->isVisible());
        EXPECT_EQ(nTBL(), caption);
        EXPECT_EQ(form.TableOn, 0);
        EXPECT_TRUE(unlocked());
        EXPECT_FALSE(check1()->isChecked());
        EXPECT_EQ(QDir::currentPath(), workingFolder);
    }
}

// Whatever the load gives, the choice turns table mode on; a later cancel keeps it all.
TEST_F(Form1Table, AChosenTableTurnsTableModeOnAndACancelKeepsIt) {
    const struct {
        const char* name;
        QString file; // inside the table folder; a folder name with è checks the file name bytes
        std::optional<QByteArray> bytes; // nothing: the file vanished after the choice
        QByteArray tbl;
        QByteArray tdf;
        QString gets; // a character that now gets in
    } rows[] = {
        {"well formed", QStringLiteral("giochi è/rpg.tbl"), "62=b\r\n41=A\r\n", "41=A\r\n62=b\r\n",
         "41=A\r\n62=b\r\n", QStringLiteral("b")},
        {"UTF-8", QStringLiteral("utf8/utf8.tbl"), "E9=\xc3\xa9\r\n", "E9=\xc3\xa9\r\n",
         "E9=\xc3\xa9\r\n", QStringLiteral("é")},
        {"no final CR LF", QStringLiteral("cut/cut.tbl"), "41=A\r\n42=B", "41=A\r\n42=B\r\n",
         "<missing>", QStringLiteral("B")},
        {"unreadable", QStringLiteral("gone/gone.tbl"), std::nullopt, "", "<missing>", QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Module1::CharTable = {};
        form.unload();
        form.load();
        const QString path = putTable(row.file, row.bytes.value_or(QByteArray()));
        const QString folder = QFileInfo(path).absolutePath();
        if (!row.bytes) {
            QFile::remove(path);
        }
        chooseTable(path);
        EXPECT_EQ(fileBytes(folder + QStringLiteral("/tbl.txt")), row.tbl);
        QFile::remove(folder + QStringLiteral("/tbl.txt"));
        for (const bool cancelled : {false, true}) {
            SCOPED_TRACE(cancelled ? "after a cancel" : "chosen");
            EXPECT_EQ(nTBL(), QFileInfo(path).fileName());
            EXPECT_EQ(form.TableOn, -1);
            EXPECT_TRUE(locked());
            EXPECT_TRUE(check1()->isChecked());
            EXPECT_EQ(QDir::currentPath(), folder);
            EXPECT_EQ(fileBytes(folder + QStringLiteral("/tdf.txt")), row.tdf);
            dialog.queueCancel();
            clickLoadTable(Qt::RightButton);
        }
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/tbl.txt")));
        if (!row.gets.isEmpty()) {
            box("Text2")->setBoxText(QStringLiteral("_"));
            press(box("Text2"), {Qt::Key_unknown, {}, row.gets});
            EXPECT_EQ(box("Text2")->text(), QStringLiteral("_") + row.gets);
        }
    }
}

TEST_F(Form1Table, TheWatchLoopRunsNoPassWhileTheDialogIsOpen) {
    class Display final : public CountDisplay {
    public:
        std::vector<int> shown;
        void showCount(int count) override { shown.push_back(count); }
    } display;
    platform::ClipboardCounter counter;
    counter.setReaderForTests([] { return std::optional<QString>(QStringLiteral("abc")); });
    WatchLoop loop(counter, display);
    loop.start(&form);
    std::size_t shownWhileOpen = 0;
    dialog.setWhileOpen([&] {
        const std::size_t before = display.shown.size();
        loop.runPassForTests();
        shownWhileOpen = display.shown.size() - before;
    });
    dialog.queueCancel();
    clickLoadTable();
    EXPECT_EQ(dialog.calls(), 1);
    EXPECT_EQ(shownWhileOpen, 0u);
    display.shown.clear();
    loop.runPassForTests();
    EXPECT_EQ(display.shown, std::vector<int>{3});
    loop.start(nullptr);
}

TEST_F(Form1Table, TheCheckBoxActsWhenTheFocusLeavesItAndKeepsTheTable) {
    // Without any table only blanks, Backspace and Delete change a box.
    setCheckAndTabAway(true);
    EXPECT_EQ(form.TableOn, -1);
    EXPECT_TRUE(locked());
    platform::TextBox* text1 = box("Text1");
    put(text1, QStringLiteral("ab|"));
    QTest::keyClicks(text1, QStringLiteral("Ax1!."));
    press(text1, {Qt::Key_Space, {}, QStringLiteral(" ")});
    EXPECT_EQ(shown(text1), QStringLiteral("ab |"));
    text1->setCursorPosition(0);
    press(text1, kDelete);
    press(text1, {Qt::Key_End, {}, {}});
    press(text1, kBackspace);
    EXPECT_EQ(shown(text1), QStringLiteral("b|"));

    // Cleared and left: ordinary boxes, and typing takes no snapshot.
    const std::optional<QString> snapshot = form.UndoText;
    setCheckAndTabAway(false);
    EXPECT_EQ(form.TableOn, 0);
    EXPECT_TRUE(unlocked());
    text1->end(false);
    QTest::keyClicks(text1, QStringLiteral("Ax"));
    EXPECT_EQ(text1->text(), QStringLiteral("bAx"));
    EXPECT_EQ(form.UndoText, snapshot);

    // Ticked and left again: table mode with the table loaded meanwhile.
    Module1::ParseTable("41=A\r\n", {});
    setCheckAndTabAway(true);
    text1->end(false);
    QTest::keyClicks(text1, QStringLiteral("AB"));
    EXPECT_EQ(text1->text(), QStringLiteral("bAxA"));

    // The window losing activation is not the focus leaving the check box.
    check1()->setFocus();
    QTest::keyClick(check1(), Qt::Key_Space);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(form.TableOn, -1);
    EXPECT_TRUE(locked());
}

// Every key in both boxes: the box after it, the snapshot taken before it (none for keys that
// only move or select), the box recounted, and the clipboard, which holds "A", after it.
TEST_F(Form1Table, KeysInTableModeFollowTheTable) {
    const struct {
        const char* name;
        const char* before;
        Key key;
        const char* after;
        bool snapshot = true;
        const char* clipboard = "A";
    } rows[] = {
        {"Backspace", "ab|c", kBackspace, "a|c"},
        {"Backspace at the start", "|abc", kBackspace, "|abc"},
        {"Backspace on a selection", "a[bc|]def", kBackspace, "a|def"},
        {"Backspace, leftward selection", "a[|bc]def", kBackspace, "a|def"},
        {"Backspace empties the box", "a|", kBackspace, "|"},
        {"Ctrl+H is Backspace", "ab|c", ctrl(Qt::Key_H, "h"), "a|c"},
        {"Delete", "a|bc", kDelete, "a|c"},
        {"Delete at the end", "abc|", kDelete, "abc|"},
        {"Delete, no text in the event", "|abc", {Qt::Key_Delete, {}, {}}, "|bc"},
        {"Shift+Delete cuts nothing", "a[bc|]d", {Qt::Key_Delete, Qt::ShiftModifier, {}}, "a|d"},
        {"Ctrl+Delete", "|abc", ctrl(Qt::Key_Delete), "|bc"},
        {"Delete on a selection", "ab[cd|]ef", kDelete, "ab|ef"},
        {"blank", "a|b", {Qt::Key_Space, {}, QStringLiteral(" ")}, "a |b"},
        {"blank over a selection", "a[bc|]d", {Qt::Key_Space, {}, QStringLiteral(" ")}, "a |d"},
        {"held character", "x|y", typed(u'A'), "xA|y"},
        {"case counts", "x|y", typed(u'a'), "x|y"},
        {"part of a longer entry", "ab|", typed(u't'), "ab|"},
        {"two entries, once", "ab|", typed(u'x'), "abx|"},
        {"held only by code FF", "ab|", typed(u'è'), "abè|"},
        {"typed over a selection", "a[bc|]d", typed(u'A'), "aA|d"},
        {"not held over a selection", "a[bc|]d", typed(u'z'), "a[bc|]d"},
        {"Enter", "a|b", {Qt::Key_Return, {}, QStringLiteral("\r")}, "a|b"},
        {"Escape", "a|b", {Qt::Key_Escape, {}, QStringLiteral("\x1b")}, "a|b"},
        {"Ctrl+K", "a|b", ctrl(Qt::Key_K, "k"), "a|b"},
        {"Ctrl+X", "a[bc|]d", ctrl(Qt::Key_X, "x"), "a[bc|]d"},
        {"Ctrl+X from X11", "a[bc|]d", ctrl(Qt::Key_X, "\x18"), "a[bc|]d"},
        {"Ctrl+V", "a|b", ctrl(Qt::Key_V, "v"), "a|b"},
        {"Shift+Insert", "a|b", {Qt::Key_Insert, Qt::ShiftModifier, {}}, "a|b", false},
        {"Ctrl+C", "a[bc|]d", ctrl(Qt::Key_C, "c"), "a[bc|]d", true, "bc"},
        {"Ctrl+C from X11", "a[bc|]d", ctrl(Qt::Key_C, "\x03"), "a[bc|]d", true, "bc"},
        {"Ctrl+Insert", "a[bc|]d", ctrl(Qt::Key_Insert), "a[bc|]d", false, "bc"},
        // Ctrl+A is the control character 1, which no table holds; the box still selects all.
        {"Ctrl+A", "abc|d", ctrl(Qt::Key_A, "\x01"), "[abcd|]"},
        {"Left", "abc|d", {Qt::Key_Left, {}, {}}, "ab|cd", false},
        {"Right", "abc|d", {Qt::Key_Right, {}, {}}, "abcd|", false},
        {"Home", "abc|d", {Qt::Key_Home, {}, {}}, "|abcd", false},
        {"End", "abc|d", {Qt::Key_End, {}, {}}, "abcd|", false},
        {"Ctrl+Left", "abc|d", ctrl(Qt::Key_Left), "|abcd", false},
        {"Shift+Left", "abc|d", {Qt::Key_Left, Qt::ShiftModifier, {}}, "ab[|c]d", false},
        {"Shift+Home", "abc|d", {Qt::Key_Home, Qt::ShiftModifier, {}}, "[|abc]d", false},
        {"Shift alone", "abc|d", {Qt::Key_Shift, Qt::ShiftModifier, {}}, "abc|d", false},
        {"F2", "abc|d", {Qt::Key_F2, {}, {}}, "abc|d", false},
    };
    tableModeWithTestTable();
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const auto& [name, countName] : {std::pair{"Text1", "car1"}, std::pair{"Text2", "car2"}}) {
        platform::TextBox* b = box(name);
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(name) + ": " + row.name);
            put(b, QString::fromUtf8(row.before));
            ASSERT_EQ(shown(b), QString::fromUtf8(row.before));
            const QString text = b->text();
            const int start = b->hasSelectedText() ? b->selectionStart() : b->cursorPosition();
            clipboard->setText(QStringLiteral("A"));
            form.UndoText.reset();
            form.UndoCaret.reset();
            press(b, row.key);
            EXPECT_EQ(shown(b), QString::fromUtf8(row.after));
            EXPECT_EQ(form.control<QLabel>(QLatin1String(countName))->text(),
                      QString::number(b->text().size()));
            EXPECT_EQ(form.UndoText, row.snapshot ? std::optional(text) : std::nullopt);
            EXPECT_EQ(form.UndoCaret, row.snapshot ? std::optional(start) : std::nullopt);
            EXPECT_EQ(clipboard->text(), QLatin1String(row.clipboard));
            EXPECT_TRUE(b->isLocked());
        }
    }
}

// The lock keeps out the user's changes by the box's other routes, and lets every change the
// program makes through.
TEST_F(Form1Table, ALockedBoxTakesChangesOnlyFromTheProgram) {
    tableModeWithTestTable();
    platform::TextBox* text1 = box("Text1");
    const auto expectAfter = [&](const std::function<void()>& act, const char* after) {
        put(text1, QStringLiteral("a[bc|]d"));
        act();
        EXPECT_EQ(text1->text(), QString::fromUtf8(after));
        EXPECT_TRUE(text1->isLocked());
    };
    expectAfter([&] { text1->insert(QStringLiteral("A")); }, "aAd");
    press(text1, ctrl(Qt::Key_Z, "z")); // Qt's own undo takes nothing back
    EXPECT_EQ(text1->text(), QStringLiteral("aAd"));
    QInputMethodEvent commit; // one key per character
    commit.setCommitString(QStringLiteral("zAéA"));
    expectAfter([&] { QCoreApplication::sendEvent(text1, &commit); }, "aAAd");
    QMimeData data;
    data.setText(QStringLiteral("A"));
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, {});
    expectAfter([&] { QCoreApplication::sendEvent(text1, &drop); }, "abcd");
    QGuiApplication::clipboard()->setText(QStringLiteral("zz"));
    expectAfter([&] { menuItem("mInc")->trigger(); }, "azzbcd");
    expectAfter([&] { text1->del(); }, "ad");
}

TEST_F(Form1Table, UndoAfterAKeyRestoresTextAndCaretInEitherBox) {
    tableModeWithTestTable();
    put(box("Text1"), QStringLiteral("x|y"));
    press(box("Text1"), typed(u'A'));
    ASSERT_EQ(box("Text1")->text(), QStringLiteral("xAy"));
    for (const char* item : {"mAnn", "mAnn", "mAnn2"}) {
        SCOPED_TRACE(item);
        // One snapshot for the window: Text2's undo writes what the key in Text1 saved.
        platform::TextBox* b = box(item == std::string("mAnn") ? "Text1" : "Text2");
        menuItem(item)->trigger();
        EXPECT_EQ(shown(b), QStringLiteral("x|y"));
    }
    EXPECT_EQ(form.control<QLabel>(QStringLiteral("car1"))->text(), QStringLiteral("2"));
}

TEST_F(Form1Table, TheCaretStaysVisibleInALockedBox) {
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(0); // a caret that does not blink
    const auto restore =
        qScopeGuard([&] { QGuiApplication::styleHints()->setCursorFlashTime(flashTime); });
    tableModeWithTestTable();
    platform::TextBox* text1 = box("Text1");
    text1->setFocus(Qt::MouseFocusReason);
    put(text1, QStringLiteral("ab | cd"));
    ASSERT_TRUE(text1->isLocked());
    EXPECT_FALSE(text1->isReadOnly());
    const QImage locked = text1->grab().toImage();
    text1->setLocked(false);
    EXPECT_EQ(text1->grab().toImage(), locked);
    // The comparison does see a missing caret: Qt draws none in read-only mode.
    text1->setReadOnly(true);
    EXPECT_NE(text1->grab().toImage(), locked);
}

TEST_F(Form1Table, AFullCycleOfWorkingModesEndsWithTableModeOffAndTheTableKept) {
    form.unload();
    CompactWindows w(form);
    const auto unload = qScopeGuard([&] { form.unload(); });
    form.load();
    chooseTable(putTable(QStringLiteral("cycle.tbl"), "41=A\r\n"));
    press(box("Text1"), typed(u'A'));
    ASSERT_TRUE(form.UndoText.has_value());
    for (int mode = 0; mode < 3; ++mode) { // Mini, Fast, main again
        w.pressFast(Qt::LeftButton);
    }
    ASSERT_EQ(w.state(), QStringLiteral("2200"));
    EXPECT_EQ(form.TableOn, 0);
    EXPECT_TRUE(unlocked());
    EXPECT_FALSE(check1()->isChecked());
    EXPECT_EQ(nTBL(), QStringLiteral("Nome del file TBL"));
    EXPECT_FALSE(form.UndoText.has_value());
    EXPECT_EQ(box("Text1")->text(), QStringLiteral("A"));

    setCheckAndTabAway(true);
    box("Text1")->end(false);
    QTest::keyClicks(box("Text1"), QStringLiteral("AB"));
    EXPECT_EQ(box("Text1")->text(), QStringLiteral("AA"));
}

} // namespace
