#include "core/char_table.h"
#include "forms/compact/form2.h"
#include "forms/compact/form3.h"
#include "forms/compact/form4.h"
#include "forms/compact/watch_loop.h"
#include "forms/main/form1.h"
#include "platform/clipboard.h"
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
#include <QPointer>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

const QString kTableA = QStringLiteral("A"); // held by the test table below

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

class Form1Table : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programFolder.isValid() && tableFolder.isValid());
        workingFolder = QDir::currentPath();
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
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // A press and release on CARICA TABLE through the window, as real input arrives.
    void clickLoadTable(Qt::MouseButton button = Qt::LeftButton) {
        QWidget* pair = form.control<QWidget>(QStringLiteral("imTBLPair"));
        const QPoint at = pair->mapTo(form.window(), pair->rect().center());
        QTest::mousePress(form.window()->windowHandle(), button, {}, at);
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

    void activate() {
        form.window()->activateWindow();
        // Not qWaitForWindowActive: it counts the window active while its tool window is.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.window(); }));
    }
    // The user ticks or clears the check box and tabs on to Text1.
    void setCheckAndTabAway(bool checked) {
        activate();
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
    QString workingFolder;
    platform::FakeOpenFileDialog dialog;
    Form1 form;
};

TEST_F(Form1Table, CancelChangesNothing) {
    const QString designCaption = nTBL();
    dialog.queueCancel();
    clickLoadTable();
    EXPECT_EQ(dialog.calls(), 1);
    EXPECT_EQ(nTBL(), designCaption);
    EXPECT_EQ(form.TableOn, 0);
    EXPECT_TRUE(unlocked());
    EXPECT_FALSE(check1()->isChecked());
    EXPECT_EQ(QDir::currentPath(), workingFolder);

    // After a choice, a cancel keeps that choice's label, table, mode, locks and dumps.
    const QString first = putTable(QStringLiteral("first.tbl"), "41=A\r\n");
    chooseTable(first);
    const QByteArray tdf = fileBytes(tableFolder.filePath(QStringLiteral("tdf.txt")));
    QFile::remove(tableFolder.filePath(QStringLiteral("tbl.txt")));
    dialog.queueCancel();
    clickLoadTable();
    EXPECT_EQ(dialog.calls(), 3);
    EXPECT_EQ(nTBL(), QStringLiteral("first.tbl"));
    EXPECT_TRUE(Module1::TableHolds(u"A"));
    EXPECT_FALSE(Module1::TableHolds(u"B"));
    EXPECT_EQ(form.TableOn, -1);
    EXPECT_TRUE(locked());
    EXPECT_FALSE(QFile::exists(tableFolder.filePath(QStringLiteral("tbl.txt"))));
    EXPECT_EQ(fileBytes(tableFolder.filePath(QStringLiteral("tdf.txt"))), tdf);
    EXPECT_EQ(QDir::currentPath(), QFileInfo(first).absolutePath());
}

TEST_F(Form1Table, AChosenTableTurnsTableModeOnWhateverTheLoadGives) {
    struct Row {
        const char* name;
        QString file; // inside the table folder; a folder name with è checks the file name bytes
        std::optional<QByteArray> bytes; // nothing: the file vanished after the choice
        QByteArray tbl;
        std::optional<QByteArray> tdf; // nothing: not written
        QString gets;                  // a character that now gets in
    };
    const Row rows[] = {
        {"well formed", QStringLiteral("giochi è/rpg.tbl"), QByteArray("62=b\r\n41=A\r\n"),
         "41=A\r\n62=b\r\n", QByteArray("41=A\r\n62=b\r\n"), QStringLiteral("b")},
        {"UTF-8", QStringLiteral("utf8/utf8.tbl"), QByteArray("E9=\xc3\xa9\r\n"), "E9=\xc3\xa9\r\n",
         QByteArray("E9=\xc3\xa9\r\n"), QStringLiteral("é")},
        {"no final CR LF", QStringLiteral("cut/cut.tbl"), QByteArray("41=A\r\n42=B"),
         "41=A\r\n42=B\r\n", std::nullopt, QStringLiteral("B")},
        {"unreadable", QStringLiteral("gone/gone.tbl"), std::nullopt, "", std::nullopt, QString()},
    };
    for (const Row& row : rows) {
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

        EXPECT_EQ(nTBL(), QFileInfo(path).fileName());
        EXPECT_EQ(form.TableOn, -1);
        EXPECT_TRUE(locked());
        EXPECT_TRUE(check1()->isChecked());
        EXPECT_EQ(QDir::currentPath(), folder);
        EXPECT_EQ(fileBytes(folder + QStringLiteral("/tbl.txt")), row.tbl);
        EXPECT_EQ(fileBytes(folder + QStringLiteral("/tdf.txt")),
                  row.tdf.value_or(QByteArray("<missing>")));
        if (!row.gets.isEmpty()) {
            box("Text2")->setBoxText(QStringLiteral("_"));
            press(box("Text2"), {Qt::Key_unknown, {}, row.gets});
            EXPECT_EQ(box("Text2")->text(), QStringLiteral("_") + row.gets);
        }
    }
}

TEST_F(Form1Table, AnyButtonOnTheLoadButtonShowsThePressedLookAndOpensTheDialog) {
    int calls = 0;
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        dialog.queueCancel();
        QWidget* pair = form.control<QWidget>(QStringLiteral("imTBLPair"));
        const QPoint at = pair->mapTo(form.window(), pair->rect().center());
        QTest::mousePress(form.window()->windowHandle(), button, {}, at);
        EXPECT_TRUE(form.control<QWidget>(QStringLiteral("imTBL2"))->isVisible());
        EXPECT_FALSE(form.control<QWidget>(QStringLiteral("imTBL1"))->isVisible());
        QTest::mouseRelease(form.window()->windowHandle(), button, {}, at);
        EXPECT_EQ(dialog.calls(), ++calls);
        EXPECT_TRUE(form.control<QWidget>(QStringLiteral("imTBL1"))->isVisible());
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
    text1->setBoxText(QStringLiteral("ab"));
    QTest::keyClicks(text1, QStringLiteral("Ax1!."));
    EXPECT_EQ(text1->text(), QStringLiteral("ab"));
    press(text1, {Qt::Key_Space, {}, QStringLiteral(" ")});
    EXPECT_EQ(text1->text(), QStringLiteral("ab "));
    text1->setCursorPosition(0);
    press(text1, kDelete);
    press(text1, {Qt::Key_End, {}, {}});
    press(text1, kBackspace);
    EXPECT_EQ(text1->text(), QStringLiteral("b"));

    // Cleared and left: ordinary boxes, and typing takes no snapshot.
    const std::optional<QString> snapshot = form.UndoText;
    setCheckAndTabAway(false);
    EXPECT_EQ(form.TableOn, 0);
    EXPECT_TRUE(unlocked());
    box("Text1")->end(false);
    QTest::keyClicks(box("Text1"), QStringLiteral("Ax"));
    EXPECT_EQ(box("Text1")->text(), QStringLiteral("bAx"));
    EXPECT_EQ(form.UndoText, snapshot);

    // Ticked and left again: table mode with the table loaded meanwhile.
    Module1::ParseTable("41=A\r\n", {});
    setCheckAndTabAway(true);
    box("Text1")->end(false);
    QTest::keyClicks(box("Text1"), QStringLiteral("AB"));
    EXPECT_EQ(box("Text1")->text(), QStringLiteral("bAxA"));

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

// Every row of the key rule, in both boxes: the text and caret after the key, the snapshot
// taken before it and the box recounted.
TEST_F(Form1Table, KeysInTableModeFollowTheTable) {
    struct Row {
        const char* name;
        QString text;
        int start;
        int length; // negative: selected leftwards, the caret at the start
        Key key;
        QString after;
        int caret;
        QString stillSelected;
    };
    const Key ctrlH{Qt::Key_H, Qt::ControlModifier, QStringLiteral("h")};
    const Key ctrlX11{Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18")};
    const Key ctrlV{Qt::Key_V, Qt::ControlModifier, QStringLiteral("v")};
    const Key enter{Qt::Key_Return, {}, QStringLiteral("\r")};
    const Key escape{Qt::Key_Escape, {}, QStringLiteral("\x1b")};
    const Key blank{Qt::Key_Space, {}, QStringLiteral(" ")};
    const QString ab = QStringLiteral("ab");
    const QString abc = QStringLiteral("abc");
    const QString abcd = QStringLiteral("abcd");
    const QString abcdef = QStringLiteral("abcdef");
    const Row rows[] = {
        {"Backspace", abc, 2, 0, kBackspace, QStringLiteral("ac"), 1, {}},
        {"Backspace at the start", abc, 0, 0, kBackspace, abc, 0, {}},
        {"Backspace on a selection", abcdef, 1, 2, kBackspace, QStringLiteral("adef"), 1, {}},
        {"Backspace, leftward selection", abcdef, 3, -2, kBackspace, QStringLiteral("adef"), 1, {}},
        {"Backspace empties the box", QStringLiteral("a"), 1, 0, kBackspace, {}, 0, {}},
        {"Ctrl+H is Backspace", abc, 2, 0, ctrlH, QStringLiteral("ac"), 1, {}},
        {"Delete", abc, 1, 0, kDelete, QStringLiteral("ac"), 1, {}},
        {"Delete at the end", abc, 3, 0, kDelete, abc, 3, {}},
        {"Delete, no text in the event",
         abc,
         0,
         0,
         {Qt::Key_Delete, {}, {}},
         QStringLiteral("bc"),
         0,
         {}},
        {"Shift+Delete",
         abc,
         0,
         0,
         {Qt::Key_Delete, Qt::ShiftModifier, {}},
         QStringLiteral("bc"),
         0,
         {}},
        {"Ctrl+Delete",
         abc,
         0,
         0,
         {Qt::Key_Delete, Qt::ControlModifier, {}},
         QStringLiteral("bc"),
         0,
         {}},
        {"Delete on a selection", abcdef, 2, 2, kDelete, QStringLiteral("abef"), 2, {}},
        {"blank", ab, 1, 0, blank, QStringLiteral("a b"), 2, {}},
        {"blank over a selection", abcd, 1, 2, blank, QStringLiteral("a d"), 2, {}},
        {"held character", QStringLiteral("xy"), 1, 0, typed(u'A'), QStringLiteral("xAy"), 2, {}},
        {"case counts", QStringLiteral("xy"), 1, 0, typed(u'a'), QStringLiteral("xy"), 1, {}},
        {"part of a longer entry", ab, 2, 0, typed(u't'), ab, 2, {}},
        {"two entries, once", ab, 2, 0, typed(u'x'), QStringLiteral("abx"), 3, {}},
        {"held only by code FF", ab, 2, 0, typed(u'è'), QStringLiteral("abè"), 3, {}},
        {"typed over a selection", abcd, 1, 2, typed(u'A'), QStringLiteral("aAd"), 2, {}},
        {"not held over a selection", abcd, 1, 2, typed(u'z'), abcd, 3, QStringLiteral("bc")},
        {"Enter", ab, 1, 0, enter, ab, 1, {}},
        {"Escape", ab, 1, 0, escape, ab, 1, {}},
        {"Ctrl+X", abcd, 1, 2, ctrlX11, abcd, 3, QStringLiteral("bc")},
        {"Ctrl+V", ab, 1, 0, ctrlV, ab, 1, {}},
    };
    tableModeWithTestTable();
    QGuiApplication::clipboard()->setText(kTableA);
    for (const auto& [name, countName] : {std::pair{"Text1", "car1"}, std::pair{"Text2", "car2"}}) {
        platform::TextBox* b = box(name);
        QLabel* count = form.control<QLabel>(QLatin1String(countName));
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(name) + ": " + row.name);
            b->setBoxText(row.text);
            b->setSelection(row.start, row.length);
            form.UndoText.reset();
            form.UndoCaret.reset();
            press(b, row.key);
            EXPECT_EQ(b->text(), row.after);
            EXPECT_EQ(b->cursorPosition(), row.caret);
            EXPECT_EQ(b->selectedText(), row.stillSelected);
            EXPECT_EQ(count->text(), QString::number(row.after.size()));
            EXPECT_EQ(form.UndoText, row.text);
            EXPECT_EQ(form.UndoCaret, std::min(row.start, row.start + row.length));
        }
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kTableA);
}

TEST_F(Form1Table, UndoAfterAKeyRestoresTextAndCaretInEitherBox) {
    tableModeWithTestTable();
    box("Text1")->setBoxText(QStringLiteral("xy"));
    box("Text1")->setCursorPosition(1);
    press(box("Text1"), typed(u'A'));
    ASSERT_EQ(box("Text1")->text(), QStringLiteral("xAy"));
    for (int twice = 0; twice < 2; ++twice) {
        menuItem("mAnn")->trigger();
        EXPECT_EQ(box("Text1")->text(), QStringLiteral("xy"));
        EXPECT_EQ(box("Text1")->cursorPosition(), 1);
        EXPECT_EQ(form.control<QLabel>(QStringLiteral("car1"))->text(), QStringLiteral("2"));
    }
    // One snapshot for the window: Text2's undo writes what the key in Text1 saved.
    menuItem("mAnn2")->trigger();
    EXPECT_EQ(box("Text2")->text(), QStringLiteral("xy"));
    EXPECT_EQ(box("Text2")->cursorPosition(), 1);
}

TEST_F(Form1Table, KeysThatOnlyMoveOrSelectTakeNoSnapshot) {
    const struct {
        const char* name;
        Key key;
        int caret;
        const char* selected;
        bool snapshot;
    } rows[] = {
        {"Left", {Qt::Key_Left, {}, {}}, 2, "", false},
        {"Right", {Qt::Key_Right, {}, {}}, 4, "", false},
        {"Home", {Qt::Key_Home, {}, {}}, 0, "", false},
        {"End", {Qt::Key_End, {}, {}}, 4, "", false},
        {"Ctrl+Left", {Qt::Key_Left, Qt::ControlModifier, {}}, 0, "", false},
        {"Shift+Left", {Qt::Key_Left, Qt::ShiftModifier, {}}, 2, "c", false},
        {"Shift+Home", {Qt::Key_Home, Qt::ShiftModifier, {}}, 0, "abc", false},
        {"Shift alone", {Qt::Key_Shift, Qt::ShiftModifier, {}}, 3, "", false},
        {"F2", {Qt::Key_F2, {}, {}}, 3, "", false},
        // Ctrl+A is the control character 1, a key press that no table holds; the box still
        // selects all.
        {"Ctrl+A", {Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01")}, 4, "abcd", true},
    };
    tableModeWithTestTable();
    platform::TextBox* text1 = box("Text1");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        text1->setBoxText(QStringLiteral("abcd"));
        text1->setCursorPosition(3);
        form.UndoText.reset();
        press(text1, row.key);
        EXPECT_EQ(text1->cursorPosition(), row.caret);
        EXPECT_EQ(text1->selectedText(), QLatin1String(row.selected));
        EXPECT_EQ(text1->text(), QStringLiteral("abcd"));
        EXPECT_EQ(form.UndoText.has_value(), row.snapshot);
    }
}

// The lock keeps out every change the user makes by the box's own routes, and lets every
// change the program makes through.
TEST_F(Form1Table, ALockedBoxTakesChangesOnlyFromTheProgram) {
    tableModeWithTestTable();
    platform::TextBox* text1 = box("Text1");
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto resetBox = [&] {
        text1->setBoxText(QStringLiteral("abcd"));
        text1->setSelection(1, 2);
        clipboard->setText(QStringLiteral("AAA"));
    };
    const struct {
        const char* name;
        std::function<void()> act;
        const char* text;
        const char* clipboard;
    } rows[] = {
        {"Ctrl+C",
         [&] {
             press(text1, {Qt::Key_C, Qt::ControlModifier, QStringLiteral("c")});
         },
         "abcd", "bc"},
        {"Ctrl+C from X11",
         [&] {
             press(text1, {Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03")});
         },
         "abcd", "bc"},
        {"Ctrl+Insert",
         [&] {
             press(text1, {Qt::Key_Insert, Qt::ControlModifier, {}});
         },
         "abcd", "bc"},
        {"Ctrl+X",
         [&] {
             press(text1, {Qt::Key_X, Qt::ControlModifier, QStringLiteral("x")});
         },
         "abcd", "AAA"},
        {"Shift+Delete cuts nothing",
         [&] {
             press(text1, {Qt::Key_Delete, Qt::ShiftModifier, {}});
         },
         "ad", "AAA"},
        {"Ctrl+V",
         [&] {
             press(text1, {Qt::Key_V, Qt::ControlModifier, QStringLiteral("v")});
         },
         "abcd", "AAA"},
        {"Shift+Insert",
         [&] {
             press(text1, {Qt::Key_Insert, Qt::ShiftModifier, {}});
         },
         "abcd", "AAA"},
        {"Ctrl+Z after a program change",
         [&] {
             text1->insert(QStringLiteral("A"));
             press(text1, {Qt::Key_Z, Qt::ControlModifier, QStringLiteral("z")});
         },
         "aAd", "AAA"},
        {"Ctrl+K",
         [&] {
             press(text1, {Qt::Key_K, Qt::ControlModifier, QStringLiteral("k")});
         },
         "abcd", "AAA"},
        {"input method commit, character by character",
         [&] {
             QInputMethodEvent commit;
             commit.setCommitString(QStringLiteral("zAéA"));
             QCoreApplication::sendEvent(text1, &commit);
         },
         "aAAd", "AAA"},
        {"drop",
         [&] {
             QMimeData data;
             data.setText(QStringLiteral("A"));
             const QPointF at(2, 2);
             QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
             QCoreApplication::sendEvent(text1, &enter);
             QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
             QCoreApplication::sendEvent(text1, &drop);
         },
         "abcd", "AAA"},
        {"menu paste",
         [&] {
             clipboard->setText(QStringLiteral("zz"));
             menuItem("mInc")->trigger();
         },
         "azzbcd", "zz"},
        {"program del", [&] { text1->del(); }, "ad", "AAA"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        resetBox();
        row.act();
        EXPECT_EQ(text1->text(), QLatin1String(row.text));
        EXPECT_EQ(clipboard->text(), QLatin1String(row.clipboard));
        EXPECT_TRUE(text1->isLocked());
    }
}

TEST_F(Form1Table, TheCaretStaysVisibleInALockedBox) {
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(0); // a caret that does not blink
    tableModeWithTestTable();
    platform::TextBox* text1 = box("Text1");
    text1->setFocus(Qt::MouseFocusReason);
    text1->setBoxText(QStringLiteral("ab  cd"));
    text1->setCursorPosition(3);
    ASSERT_TRUE(text1->isLocked());
    EXPECT_FALSE(text1->isReadOnly());
    const QImage locked = text1->grab().toImage();
    text1->setLocked(false);
    EXPECT_EQ(text1->grab().toImage(), locked);
    // The comparison does see a missing caret: Qt draws none in read-only mode.
    text1->setReadOnly(true);
    EXPECT_NE(text1->grab().toImage(), locked);
    QGuiApplication::styleHints()->setCursorFlashTime(flashTime);
}

TEST_F(Form1Table, AFullCycleOfWorkingModesEndsWithTableModeOffAndTheTableKept) {
    platform::ClipboardCounter counter;
    counter.setReaderForTests([] { return std::optional<QString>(QString()); });
    Form2 fast;
    Form3 mini;
    Form4 background;
    WatchLoop loop(counter, fast);
    const auto detach = qScopeGuard([&] {
        loop.start(nullptr);
        form.unload();
        form.setFastCounter(nullptr);
        form.setWatchLoop(nullptr);
    });
    form.unload();
    form.setFastCounter(&fast);
    form.setWatchLoop(&loop);
    mini.setFastCounter(&fast);
    mini.setWatchLoop(&loop);
    background.setFastCounter(&fast);
    background.setWatchLoop(&loop);
    fast.setWindows(&form, &mini, &background);
    form.load();

    chooseTable(putTable(QStringLiteral("cycle.tbl"), "41=A\r\n"));
    press(box("Text1"), typed(u'A'));
    ASSERT_TRUE(form.UndoText.has_value());
    for (int mode = 0; mode < 3; ++mode) { // Mini, Fast, main again
        const QPointer<QWindow> handle = fast.loadedWindow()->windowHandle();
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(2, 2));
        if (!handle.isNull()) {
            QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(2, 2));
        }
    }
    ASSERT_TRUE(form.isLoaded());
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
