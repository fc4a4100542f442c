// The main window's wiring: counters, menus, picture buttons, the table block and its lock.
#include "program_fixture.h"

#include "platform/widgets/controls.h"
#include "platform/widgets/palette.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>

namespace {

using namespace Qt::StringLiterals;
using namespace names;

class MainWindowTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        start(); // which waits for the main window on screen
        // Not qWaitForWindowActive: it counts the window active while its tool window is.
        window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window(); }));
    }
    QWidget* window() { return main().loadedWindow(); }
    QString caption(names::Name name) { return ProgramTest::caption(main(), name); }
    template <typename T = QWidget> T* get(names::Name name) {
        return ProgramTest::get<T>(main(), name);
    }
    platform::TextBox* box(Box which) { return ProgramTest::box(main(), which); }
    QString counts(Box n) { // characters, spaces, words, sentences
        return QStringList{caption(kCharacters[n]), caption(kSpaces[n]), caption(kWords[n]),
                           caption(kSentences[n])}
            .join(QLatin1Char(' '));
    }
};

TEST_F(MainWindowTest, CountsAndTheDifferenceFollowBothBoxes) {
    EXPECT_FALSE(get(kPlusSign)->isVisible()); // two empty texts: no plus sign, as designed
    type(box(kTwo), QStringLiteral("Pronto? Sì... va bene."));
    EXPECT_EQ(counts(kOne) + QLatin1Char('/') + counts(kTwo), QStringLiteral("0 0 0 0/22 3 4 3"));
    const struct {
        const char *original, *shown;
        QColor colour;
        bool plus;
    } rows[] = {{"", "22", QColor(255, 0, 0), true},
                {"012345678901234567890", "1", QColor(255, 0, 0), true},
                {"0123456789012345678901", "0", QColor(255, 255, 0), false},
                {"012345678901234567890123456", "-5", QColor(0, 255, 0), false}};
    for (const auto& row : rows) {
        box(kOne)->setBoxText(QString::fromUtf8(row.original));
        EXPECT_EQ(caption(kDifference), QLatin1String(row.shown));
        EXPECT_EQ(platform::captionColour(get<QLabel>(kDifference)), row.colour);
        EXPECT_EQ(get(kPlusSign)->isVisible(), row.plus);
    }
    // A load reads the texts back and recounts, an empty box too.
    box(kOne)->clear();
    main().unload();
    main().load();
    EXPECT_TRUE(counts(kOne) == QLatin1String("0 0 0 0") && get(kPlusSign)->isVisible());
    EXPECT_EQ(counts(kTwo), QStringLiteral("22 3 4 3"));
}

// Captions whole, no shown control over another, with and without the byte and screen lines.
TEST_F(MainWindowTest, LayoutWithAndWithoutTheByteAndScreenLines) {
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
            QRegion taken; // by the shown children before this one that are no frames
            for (QWidget* a : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const std::string name = a->objectName().toStdString();
                EXPECT_TRUE(a->isHidden() || container->rect().contains(a->geometry())) << name;
                if (!a->isHidden() && !qobject_cast<QFrame*>(a)) {
                    EXPECT_FALSE(taken.intersects(a->geometry())) << name;
                    taken += a->geometry();
                }
            }
        }
    };
    checkLayout();
    chooseTable("61=a\r\n62=b\r\n63=c\r\n64=d\r\n80=ab\r\n81=bcd\r\n");
    type(box(kOne), QStringLiteral("ab"));
    type(box(kTwo), QStringLiteral("abcd"));
    EXPECT_EQ(caption(kBytes) + caption(kByteDifference), QStringLiteral("Byte: 3 / 1+2"));
    checkLayout();

    // A width file beside a table adds the screen line; the frame and all under it grow by a row.
    const QRect window0 = window()->geometry(), table0 = get("Frame5")->geometry();
    const QPoint exit0 = get(kExit.pair)->pos();
    const int pitch = get(kBytes)->y() - get(kDifferenceCaption)->y();
    writeFile("gioco.wid", "# a, b\n@line=12\n@lines=2\n@gap=1\n@default=5\n61=3\n62=4\n@x=1\n");
    static QStringList warnings; // what the window writes on stderr
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        warnings.append(message);
    });
    writeFile("solo.wid", "@line=12\r\n@default=1\r\nzz\r\n");
    const struct {
        const char *table, *translation, *shown;
        QColor pixels, lines;
        const char* toolTip;
    } rows[] = {
        {"gioco.tbl", "abab<br>a", "Pixel: 18 / 12|Righe: 2 / 2", palette::kRed, palette::kGreen,
         "Traduzione: righe larghe 18, 4 pixel\nOriginale: righe larghe 9 pixel"},
        {"gioco.tbl", "aaa<br>a<br>b", "Pixel: 12 / 12|Righe: 3 / 2", palette::kGreen,
         palette::kRed, "Traduzione: righe larghe 12, 4, 5 pixel\nOriginale: righe larghe 9 pixel"},
        {"solo.tbl", "abc<br><br>", "Pixel: 3 / 12|Righe: 3 / -", palette::kGreen, palette::kGreen,
         "Traduzione: righe larghe 3, 0, 0 pixel\nOriginale: righe larghe 2 pixel"},
    };
    for (const auto& row : rows) {
        chooseTable("61=a\r\n62=b\r\n63=c\r\n80=ab\r\n*FE=<br>\r\n", row.table);
        box(kTwo)->setBoxText(QString::fromUtf8(row.translation));
        EXPECT_EQ(caption(kPixels) + QLatin1Char('|') + caption(kScreenLines),
                  QLatin1String(row.shown));
        EXPECT_EQ(platform::captionColour(get<QLabel>(kPixels)), row.pixels);
        EXPECT_EQ(platform::captionColour(get<QLabel>(kScreenLines)), row.lines);
        EXPECT_EQ(get(kScreenLines)->toolTip(), QString::fromUtf8(row.toolTip));
        EXPECT_EQ(get(kPixels)->y() - get(kBytes)->y(), pitch);
        EXPECT_EQ(window()->geometry(), window0.adjusted(0, 0, 0, pitch));
        EXPECT_EQ(get("Frame5")->geometry(), table0.translated(0, pitch));
        EXPECT_EQ(get(kExit.pair)->pos(), exit0 + QPoint(0, pitch));
        checkLayout();
    }
    // A table with codes adds the codes line, under the screen line: with the table, not as
    // the translation changes.
    chooseTable("61=a\r\n62=b\r\nF0=<nome>\r\n/FF=<fine>\r\n*FE=<br>\r\n", "gioco.tbl");
    box(kOne)->setBoxText(u"a<nome><fine>"_s);
    for (const auto& [translation, shown] : {std::pair{u"<nome>b<fine>"_s, u"Codici: ok"_s},
                                             {u"<fine>a"_s, u"Codici: manca <nome>"_s},
                                             {u"<nome><fine><x>"_s, u"Codici: <x>?"_s}}) {
        box(kTwo)->setBoxText(translation);
        EXPECT_EQ(caption(kCodes), shown);
        EXPECT_EQ(platform::captionColour(get<QLabel>(kCodes)),
                  shown.endsWith(u"ok") ? palette::kGreen : palette::kRed);
        EXPECT_EQ(get(kCodes)->y() - get(kPixels)->y(), pitch);
        EXPECT_EQ(window()->geometry(), window0.adjusted(0, 0, 0, 2 * pitch));
    }
    checkLayout();
    // A width file that names a font: the box preview under the buttons at the largest whole
    // scale, the window taller by it; a sheet that cannot serve leaves only the screen line.
    QImage sheet(4, 2, QImage::Format_RGB32);
    sheet.fill(Qt::black);
    sheet.setPixel(0, 0, qRgb(255, 255, 255));
    ASSERT_TRUE(sheet.save(folder.filePath(u"f.png"_s)));
    writeFile("font.wid", "@line=12\n@lines=2\n@default=2\n@font=f.png\n@cell=2x2\n@first=61\n");
    writeFile("sheetless.wid", "@line=12\n@font=none.png\n@cell=2x2\n@first=61\n");
    for (const char* name : {"font.tbl", "sheetless.tbl"}) {
        chooseTable("61=a\r\n62=b\r\n*FE=<br>\r\n", name);
        box(kTwo)->setBoxText(u"ab<br>ab"_s);
        auto* preview = window()->findChild<QScrollArea*>(u"Anteprima"_s);
        const int grown = preview != nullptr ? preview->height() : 0;
        EXPECT_EQ(window()->geometry(), window0.adjusted(0, 0, 0, pitch + grown));
        EXPECT_EQ(get(names::kTableName)->toolTip(),
                  name[0] == 'f' ? QString() : u"sheetless.wid: @font: cannot read none.png"_s);
        if (name[0] == 'f') {
            ASSERT_TRUE(preview != nullptr && preview->isVisible());
            EXPECT_EQ(preview->widget()->size(), QSize(12, 4) * (preview->width() / 12));
            QAccessibleInterface* picture =
                QAccessible::queryAccessibleInterface(preview->widget());
            EXPECT_EQ(picture->role(), QAccessible::Graphic);
            EXPECT_EQ(picture->text(QAccessible::Name), u"Anteprima"_s);
            checkLayout();
        } else {
            EXPECT_TRUE(preview == nullptr && get(kPixels)->isVisible());
        }
    }
    // A width file without a line room, and then none: back to the design, the first one's
    // fault in the tool tip of the table's name until the next table.
    writeFile("rotto.wid", "@lines=2\n");
    for (const char* name : {"rotto.tbl", "senza.tbl"}) {
        chooseTable("61=a\r\n62=z", name);
        EXPECT_TRUE(get(kPixels)->isHidden() && get(kScreenLines)->isHidden() &&
                    get(kCodes)->isHidden() && get(kBytes)->isVisible());
        EXPECT_EQ(get(names::kTableName)->toolTip(),
                  name[0] == 'r' ? u"rotto.wid: no line room (@line)"_s : QString());
    }
    EXPECT_NE(fileBytes("tdf.txt"), fileBytes("tbl.txt")); // a table cut short: no load dump
    dialog.answers.push_back(folder.path()); // a table that cannot be read has no byte line
    click(get(names::kLoadTable.pair), Qt::LeftButton);
    EXPECT_TRUE(get(kBytes)->isHidden());
    qInstallMessageHandler(nullptr);
    EXPECT_EQ(
        warnings.filter(u"tavrel-counter: "_s).join(u'\n').replace(folder.path(), u"F"_s),
        u"tavrel-counter: the width file F/gioco.wid: lines not understood: 0, unknown @ keys: "
        "1; the rest is in use\n"_s.repeated(2) +
            u"tavrel-counter: the width file F/solo.wid: lines not understood: 1, unknown @ keys: "
            "0; the rest is in use\n"
            "tavrel-counter: the width file F/gioco.wid: lines not understood: 0, unknown @ "
            "keys: 1; the rest is in use\n"
            "tavrel-counter: the table F/rotto.tbl ends inside an entry; the entries before "
            "the end are in use and F/tdf.txt was not written\n"
            "tavrel-counter: the table F/senza.tbl ends inside an entry; the entries before "
            "the end are in use and F/tdf.txt was not written\n"
            "tavrel-counter: cannot read the table F"_s);
    EXPECT_EQ(window()->geometry(), window0);
    EXPECT_EQ(get("Frame5")->geometry(), table0);
    EXPECT_EQ(get(kExit.pair)->pos(), exit0);
    // tavrel-fit's Shift-JIS table and first line (tests/fit), with its figures: 6 bytes and 4.
    chooseTable("82A0=\x82\xA0\r\n82A2=\x82\xA2\r\n61=a\r\n69=i\r\n/00=<end>\r\n");
    box(kOne)->setBoxText(u"あい"_s);
    box(kTwo)->setBoxText(u"いあい"_s);
    EXPECT_EQ(caption(kBytes) + caption(kByteDifference), QStringLiteral("Byte: 6 / 4+2"));
}

TEST_F(MainWindowTest, MenusArePreparedAtEveryPressAndActOnTheirBox) {
    for (const Box n : kBoxes) {
        SCOPED_TRACE(kBox[n]);
        const auto act = [&](const BoxNames& item) { get<QAction>(item[n])->trigger(); };
        const auto enabled = [&](const auto& item) { return get<QAction>(item[n])->isEnabled(); };
        box(n)->setBoxText(QStringLiteral("abcd"));
        box(n)->setSelection(1, 2);
        QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
        const QPoint at = box(n)->mapTo(window(), QPoint(2, 2));
        QTest::mousePress(window()->windowHandle(), Qt::RightButton, {}, at);
        QMenu* menu = get<QMenu>(kMenu[n]);
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
        QTest::mouseRelease(window()->windowHandle(), Qt::RightButton, {}, at);
        EXPECT_EQ(std::tuple(enabled(kUndo), enabled(kCut), enabled(kPaste), enabled(kSelectAll)),
                  std::tuple(false, true, true, true));
        box(n)->setSelection(1, 2);
        act(kCopy);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("bc"));
        act(kPaste); // in at the selection start, the caret one further
        EXPECT_EQ(std::pair(box(n)->text(), box(n)->cursorPosition()), std::pair(u"abcbcd"_s, 2));
        box(n)->setSelection(0, 2);
        act(kCut);
        EXPECT_EQ(box(n)->text() + QGuiApplication::clipboard()->text(), u"cbcdab"_s);
        box(n)->setSelection(3, 1);
        act(kDelete);
        act(kSelectAll);
        EXPECT_EQ(box(n)->selectedText() + caption(kCharacters[n]), QStringLiteral("cbc3"));
        // A left press prepares the items too, and shows no menu; a caret selects nothing.
        box(n)->setCursorPosition(1);
        QGuiApplication::clipboard()->clear();
        click(box(n), Qt::LeftButton, at);
        EXPECT_TRUE(enabled(kSelectAll));
        EXPECT_FALSE(enabled(kCut) || enabled(kCopy) || enabled(kPaste) || menu->isVisible());
    }
}

TEST_F(MainWindowTest, PictureButtonsShowThePressedLookAndActAtTheRelease) {
    const auto shown = [&](const char* name) { return !get(name)->isHidden(); };
    type(box(kOne), QStringLiteral("salvato"));
    // Assistive technology presses a picture button through its one action.
    for (const PictureButton& button : {kAbout, kBack}) {
        QAccessible::queryAccessibleInterface(get(button.pair))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(shown(kWorkingFace), button.pair == kBack.pair);
    }
    for (const PictureButton& button : {kAbout, kBack, kExit}) {
        SCOPED_TRACE(button.pair);
        QTest::mousePress(window()->windowHandle(), Qt::RightButton, {},
                          get(button.pair)->mapTo(window(), QPoint(3, 3)));
        EXPECT_TRUE(!shown(button.normal) && shown(button.pressed));
        // The release acts wherever the pointer is.
        QTest::mouseRelease(window()->windowHandle(), Qt::RightButton, {}, QPoint(2, 2));
        EXPECT_TRUE(shown(button.normal) && !shown(button.pressed));
        EXPECT_EQ(shown(kWorkingFace), button.pair != kAbout.pair);
        if (button.pair == kAbout.pair) {
            click(get(kHomePage), Qt::LeftButton);
            EXPECT_EQ(QGuiApplication::clipboard()->text(), u"https://tavrel.example"_s);
        }
    }
    // ESCI saved this window only and ended the program.
    EXPECT_EQ(fileBytes("test") + QByteArray::number(ends), QByteArray("salvato\r\n\r\n1"));
}

TEST_F(MainWindowTest, AChosenTableLocksBothBoxesAndKeysGoThroughIt) {
    // A middle press opens the dialog too; a cancel changes nothing.
    dialog.answers.push_back(std::nullopt);
    click(get(kLoadTable.pair), Qt::MiddleButton);
    EXPECT_EQ(std::pair(dialog.answers.empty(), main().tableMode()), std::pair(true, false));

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
    EXPECT_TRUE(loopHeld && main().tableMode() && get<QCheckBox>(kTableCheck)->isChecked());
    // The pass held during the dialog comes once it is closed.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ProgramTest::caption(fast(), kCount) == u"5"_s; }, 2000));
    EXPECT_EQ(QDir::current().absolutePath(), QDir(folder.path()).absolutePath());
    EXPECT_EQ(fileBytes("tdf.txt") + fileBytes("tbl.txt"),
              QByteArray("41=A\r\n42=the\r\nFF=\xe8\r\n").repeated(2));
    for (const Box n : kBoxes) {
        box(n)->setFocus();
        type(box(n), QStringLiteral("AaèB t"));
        EXPECT_EQ(std::pair(box(n)->text(), box(n)->isLocked()), std::pair(u"Aè "_s, true));
    }
    // One snapshot for both boxes: the undo of Text1 writes what the last key in Text2 saved.
    get<QAction>(kUndo[kOne])->trigger();
    EXPECT_EQ(box(kOne)->text() + caption(kCharacters[kOne]), QStringLiteral("Aè 3"));

    // The lock keeps out the user's other routes and lets the program's changes through.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("zA"));
    QCoreApplication::sendEvent(box(kOne), &commit);
    QMimeData data;
    data.setText(QStringLiteral("A"));
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box(kOne), &drop);
    QGuiApplication::clipboard()->setText(QStringLiteral("zz"));
    QTest::keyClick(box(kOne), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box(kOne)->text(), QStringLiteral("Aè A"));
    box(kOne)->setCursorPosition(0);
    get<QAction>(kPaste[kOne])->trigger();
    EXPECT_EQ(box(kOne)->text(), QStringLiteral("zzAè A"));

    // The check box acts when the focus leaves it for another control; the table stays loaded.
    const auto checkAndLeave = [&](bool checked) {
        auto* check = get<QCheckBox>(kTableCheck);
        box(kTwo)->setFocus();
        check->setChecked(checked);
        box(kOne)->setFocus(); // focus moving between the boxes leaves no check box
        check->setFocus();
        EXPECT_EQ(main().tableMode(), !checked);
        box(kOne)->setFocus();
        EXPECT_EQ(std::pair(main().tableMode(), box(kTwo)->isLocked()),
                  std::pair(checked, checked));
    };
    get<QCheckBox>(kTableCheck)->setFocus();
    QApplication::setActiveWindow(nullptr); // losing activation is no leaving
    EXPECT_TRUE(main().tableMode());
    QApplication::setActiveWindow(window());
    checkAndLeave(false);
    box(kOne)->clear();
    type(box(kOne), QStringLiteral("zA"));
    EXPECT_EQ(box(kOne)->text(), QStringLiteral("zA"));
    checkAndLeave(true);
    type(box(kOne), QStringLiteral("zA"));
    EXPECT_EQ(box(kOne)->text(), QStringLiteral("zAA"));
}

} // namespace
