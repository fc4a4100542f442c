// The main window's wiring: counters, menus, picture buttons, the table block and its lock.
#include "program_fixture.h"

#include "platform/widgets/controls.h"
#include "platform/widgets/palette.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>

namespace {

using namespace Qt::StringLiterals;

class MainWindowTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
        // Not qWaitForWindowActive: it counts the window active while its tool window is.
        window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window(); }));
    }
    QWidget* window() { return main().loadedWindow(); }
    QString caption(const char* name) { return ProgramTest::caption(main(), name); }
    QWidget* get(const char* name) { return ProgramTest::get(main(), name); }
    platform::TextBox* box(int n) { return ProgramTest::box(main(), n); }
    QAction* item(const char* name) { return ProgramTest::get<QAction>(main(), name); }
    QString counts(int n) { // characters, spaces, words, sentences
        QStringList values;
        for (const char* name : {"car", "spa", "par", "fra"}) {
            values << caption(qPrintable(QLatin1String(name) + QString::number(n)));
        }
        return values.join(QLatin1Char(' '));
    }
    void chooseTable(const QByteArray& bytes, const char* name = "prova.tbl") {
        writeFile(name, bytes);
        dialog.answers.push_back(folder.filePath(QString::fromUtf8(name)));
        click(get("imTBLPair"), Qt::LeftButton);
    }
};

TEST_F(MainWindowTest, CountsAndTheDifferenceFollowBothBoxes) {
    EXPECT_EQ(counts(1) + QLatin1Char('/') + counts(2), QStringLiteral("0 0 0 0/0 0 0 0"));
    type(box(2), QStringLiteral("Pronto? Sì... va bene."));
    EXPECT_EQ(counts(2), QStringLiteral("22 3 4 3"));
    EXPECT_EQ(counts(1), QStringLiteral("0 0 0 0"));
    const struct {
        const char* original;
        const char* shown;
        QColor colour;
        bool plus;
    } rows[] = {{"", "22", QColor(255, 0, 0), true},
                {"0123456789012345678901", "0", QColor(255, 255, 0), false},
                {"012345678901234567890123456", "-5", QColor(0, 255, 0), false}};
    EXPECT_EQ(platform::captionColour(ProgramTest::get<QLabel>(main(), "car2")),
              QColor(128, 128, 255));
    for (const auto& row : rows) {
        box(1)->setBoxText(QString::fromUtf8(row.original));
        EXPECT_EQ(caption("differ"), QLatin1String(row.shown));
        EXPECT_EQ(platform::captionColour(ProgramTest::get<QLabel>(main(), "differ")), row.colour);
        EXPECT_EQ(get("labpiù")->isVisible(), row.plus);
    }
    EXPECT_EQ(caption("car1"), QStringLiteral("27"));
    // A load reads the texts back and recounts, an empty box too.
    box(1)->clear();
    main().unload();
    main().load();
    EXPECT_TRUE(counts(1) == QLatin1String("0 0 0 0") && get("labpiù")->isVisible());
    EXPECT_EQ(counts(2), QStringLiteral("22 3 4 3"));
}

// Captions whole, no shown control over another, with and without the byte line; tab order.
TEST_F(MainWindowTest, LayoutAndTabOrder) {
    const auto checkLayout = [&] {
        for (QLabel* label : window()->findChildren<QLabel*>()) {
            if (!label->wordWrap() && !label->text().isEmpty()) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                    << label->objectName().toStdString();
                EXPECT_LE(label->fontMetrics().height(), label->height());
            }
        }
        for (QFrame* container : window()->findChildren<QFrame*>()) {
            if (container->metaObject() != &QFrame::staticMetaObject) {
                continue; // labels are frames too; the looks of a picture button overlap by design
            }
            QList<QWidget*> children =
                container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            children.removeIf([](const QWidget* w) { return w->isHidden(); });
            for (QWidget* a : children) {
                for (QWidget* b : children) {
                    if (a < b && !qobject_cast<QFrame*>(a) && !qobject_cast<QFrame*>(b)) {
                        EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                            << a->objectName().toStdString() << " / "
                            << b->objectName().toStdString();
                    }
                }
                EXPECT_TRUE(container->rect().contains(a->geometry()))
                    << a->objectName().toStdString();
            }
        }
    };
    checkLayout();
    EXPECT_EQ(QApplication::focusWidget(), box(2));
    for (QWidget* next : {get("Check1"), static_cast<QWidget*>(box(1))}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    chooseTable("61=a\r\n62=b\r\n63=c\r\n64=d\r\n80=ab\r\n81=bcd\r\n");
    type(box(1), QStringLiteral("ab"));
    type(box(2), QStringLiteral("abcd"));
    EXPECT_EQ(caption("labByte") + caption("byteDiffer"), QStringLiteral("Byte: 3 / 1+2"));
    EXPECT_TRUE(get("labByte")->toolTip().startsWith(u"Traduzione: 3 byte come gli"_s));
    EXPECT_EQ(platform::captionColour(ProgramTest::get<QLabel>(main(), "byteDiffer")),
              palette::kRed);
    checkLayout();
    const QPoint designed = get("Label3")->pos();
    main().unload();
    main().load();
    EXPECT_TRUE(get("labByte")->isHidden() && get("Label3")->y() > designed.y());
}

TEST_F(MainWindowTest, MenusArePreparedAtEveryPressAndActOnTheirBox) {
    for (const int n : {1, 2}) {
        SCOPED_TRACE(n);
        const QString s = n == 1 ? QString() : QStringLiteral("2");
        const auto act = [&](const char* name) {
            item(qPrintable(QLatin1String(name) + s))->trigger();
        };
        box(n)->setBoxText(QStringLiteral("abcd"));
        box(n)->setSelection(1, 2);
        QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
        const QPoint at = box(n)->mapTo(window(), QPoint(2, 2));
        QTest::mousePress(window()->windowHandle(), Qt::RightButton, {}, at);
        QMenu* menu = ProgramTest::get<QMenu>(main(), n == 1 ? "m0" : "m1");
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
        QTest::mouseRelease(window()->windowHandle(), Qt::RightButton, {}, at);
        const auto enabled = [&](const char* name) {
            return item(qPrintable(QLatin1String(name) + s))->isEnabled();
        };
        EXPECT_EQ(std::tuple(enabled("mAnn"), enabled("mCut"), enabled("mInc"), enabled("mSelT")),
                  std::tuple(false, true, true, true));
        box(n)->setSelection(1, 2);
        act("mCopy");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("bc"));
        act("mInc"); // in at the selection start, the caret one further
        EXPECT_EQ(std::pair(box(n)->text(), box(n)->cursorPosition()), std::pair(u"abcbcd"_s, 2));
        box(n)->setSelection(0, 2);
        act("mCut");
        EXPECT_EQ(box(n)->text() + QGuiApplication::clipboard()->text(), u"cbcdab"_s);
        box(n)->setSelection(3, 1);
        act("mDel");
        act("mSelT");
        EXPECT_EQ(box(n)->selectedText(), QStringLiteral("cbc"));
        EXPECT_EQ(caption(n == 1 ? "car1" : "car2"), QStringLiteral("3"));
        // A left press prepares the items too, and shows no menu.
        box(n)->clear();
        QTest::mousePress(window()->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(window()->windowHandle(), Qt::LeftButton, {}, at);
        EXPECT_FALSE(enabled("mSelT") || menu->isVisible());
    }
}

TEST_F(MainWindowTest, PictureButtonsShowThePressedLookAndActAtTheRelease) {
    const struct {
        const char* pair;
        const char* normal;
        const char* pressed;
    } buttons[] = {
        {"abPair", "ab1", "ab2"}, {"backPair", "back1", "back2"}, {"escPair", "esc1", "esc2"}};
    const auto shown = [&](const char* name) { return !get(name)->isHidden(); };
    EXPECT_FALSE(shown("ab2") || shown("esc2") || shown("imTBL2"));
    type(box(1), QStringLiteral("salvato"));
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.pair);
        QTest::mousePress(window()->windowHandle(), Qt::RightButton, {},
                          get(button.pair)->mapTo(window(), QPoint(3, 3)));
        EXPECT_TRUE(!shown(button.normal) && shown(button.pressed));
        // The release acts wherever the pointer is.
        QTest::mouseRelease(window()->windowHandle(), Qt::RightButton, {}, QPoint(2, 2));
        EXPECT_TRUE(shown(button.normal) && !shown(button.pressed));
        const bool aboutFace = button.pair == std::string("abPair");
        EXPECT_EQ(shown("Frame1"), !aboutFace);
        if (aboutFace) {
            EXPECT_FALSE(shown("back2"));
            click(get("url"), Qt::LeftButton);
            EXPECT_EQ(QGuiApplication::clipboard()->text(),
                      QStringLiteral("https://tavrel.example"));
        }
    }
    // ESCI saved this window only and ended the program.
    EXPECT_EQ(fileBytes("test") + QByteArray::number(ends), QByteArray("salvato\r\n\r\n1"));
}

TEST_F(MainWindowTest, AChosenTableLocksBothBoxesAndKeysGoThroughIt) {
    click(get("imTBLPair"), Qt::MiddleButton); // a cancel changes nothing
    EXPECT_EQ(std::pair(dialog.calls, main().tableMode()), std::pair(1, false));
    EXPECT_EQ(caption("nTBL"), QStringLiteral("Nome del file TBL"));

    bool loopHeld = false;
    dialog.whileOpen = [&] {
        program->watchLoop().runPass();
        loopHeld = fast().isLoaded() && ProgramTest::caption(fast(), "cont") == QLatin1String("0");
    };
    setClipboard(QStringLiteral("12345"));
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        ADD_FAILURE() << message.toStdString(); // a table that loads and dumps warns of nothing
    });
    chooseTable("41=A\r\n42=the\r\nFF=\xe8\r\n", "tabella.tbl");
    qInstallMessageHandler(nullptr);
    EXPECT_TRUE(loopHeld && main().tableMode());
    EXPECT_TRUE(ProgramTest::get<QCheckBox>(main(), "Check1")->isChecked());
    EXPECT_EQ(caption("nTBL"), QStringLiteral("tabella.tbl"));
    EXPECT_EQ(QDir::current().absolutePath(), QDir(folder.path()).absolutePath());
    for (const char* dump : {"tdf.txt", "tbl.txt"}) {
        EXPECT_EQ(fileBytes(dump), QByteArray("41=A\r\n42=the\r\nFF=\xe8\r\n")) << dump;
    }
    for (const int n : {1, 2}) {
        box(n)->setFocus();
        type(box(n), QStringLiteral("AaèB t"));
        EXPECT_EQ(box(n)->text(), QStringLiteral("Aè "));
        EXPECT_TRUE(box(n)->isLocked());
    }
    // One snapshot for both boxes: the undo of Text1 writes what the last key in Text2 saved.
    item("mAnn")->trigger();
    EXPECT_EQ(box(1)->text() + caption("car1"), QStringLiteral("Aè 3"));

    // The lock keeps out the user's other routes and lets the program's changes through.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("zA"));
    QCoreApplication::sendEvent(box(1), &commit);
    EXPECT_EQ(box(1)->text(), QStringLiteral("Aè A"));
    QMimeData data;
    data.setText(QStringLiteral("A"));
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box(1), &drop);
    QGuiApplication::clipboard()->setText(QStringLiteral("zz"));
    QTest::keyClick(box(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box(1)->text(), QStringLiteral("Aè A"));
    box(1)->setCursorPosition(0);
    item("mInc")->trigger();
    EXPECT_EQ(box(1)->text(), QStringLiteral("zzAè A"));

    // The check box acts when the focus leaves it for another control; the table stays loaded.
    const auto checkAndLeave = [&](bool checked) {
        auto* check = ProgramTest::get<QCheckBox>(main(), "Check1");
        box(2)->setFocus();
        check->setChecked(checked);
        box(1)->setFocus(); // focus moving between the boxes leaves no check box
        check->setFocus();
        EXPECT_EQ(main().tableMode(), !checked);
        box(1)->setFocus();
        EXPECT_EQ(std::pair(main().tableMode(), box(2)->isLocked()), std::pair(checked, checked));
    };
    ProgramTest::get<QCheckBox>(main(), "Check1")->setFocus();
    QApplication::setActiveWindow(nullptr); // losing activation is no leaving
    EXPECT_TRUE(main().tableMode());
    QApplication::setActiveWindow(window());
    checkAndLeave(false);
    box(1)->clear();
    type(box(1), QStringLiteral("zA"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("zA"));
    checkAndLeave(true);
    type(box(1), QStringLiteral("zA"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("zAA"));
}

} // namespace
