#include "form1_fixture.h"

#include "platform/palette.h"

#include <QCheckBox>
#include <QFrame>

namespace {

TEST_F(Form1Test, ShowsTheDesignCaptionsBeforeAnyTyping) {
    for (const char* counter : {"car1", "spa1", "par1", "fra1", "car2", "spa2", "par2", "fra2"}) {
        EXPECT_EQ(caption(counter), QStringLiteral("0")) << counter;
    }
    EXPECT_EQ(caption("differ"), QStringLiteral("0"));
    EXPECT_EQ(platform::captionColour(get<QLabel>("differ")), palette::kYellow);
    EXPECT_FALSE(get("labpiù")->isVisible());
    const std::pair<const char*, const char*> captions[] = {{"Label1", "Testo da tradurre"},
                                                            {"Label2", "Testo da sostituire"},
                                                            {"Label4", "Caratteri usati:"},
                                                            {"Label5", "Caratteri usati:"},
                                                            {"Label7", "Parole:"},
                                                            {"Label10", "Parole:"},
                                                            {"Label9", "Spazi:"},
                                                            {"Label11", "Spazi:"},
                                                            {"Label14", " Frasi:"},
                                                            {"Label12", " Frasi:"},
                                                            {"Label3", "Differenza:"},
                                                            {"nTBL", "Nome del file TBL"},
                                                            {"labpiù", "+"},
                                                            {"Label6", "Home page"}};
    for (const auto& [name, text] : captions) {
        EXPECT_EQ(caption(name), QString::fromUtf8(text)) << name;
    }
    EXPECT_EQ(get<QCheckBox>("Check1")->text(), QStringLiteral("Utilizzare il file TBL"));
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Tavrel Counter"));
    EXPECT_TRUE(get("Frame1")->isVisible());
}

TEST_F(Form1Test, TypingCountsTheTypedBoxAndLeavesTheOtherAlone) {
    type(box(2), QStringLiteral("Pronto? Sì... va bene."));
    EXPECT_EQ(box(2)->text(), QStringLiteral("Pronto? Sì... va bene."));
    EXPECT_EQ(caption("car2"), QStringLiteral("22"));
    EXPECT_EQ(caption("spa2"), QStringLiteral("3"));
    EXPECT_EQ(caption("par2"), QStringLiteral("4"));
    EXPECT_EQ(caption("fra2"), QStringLiteral("3"));
    for (const char* counter : {"car1", "spa1", "par1", "fra1"}) {
        EXPECT_EQ(caption(counter), QStringLiteral("0")) << counter;
    }
    EXPECT_EQ(form.LenText2, 22);
}

struct DifferenceRow {
    const char* original;
    const char* translation;
    const char* shown;
    QColor colour;
    bool plus;
};

TEST_F(Form1Test, DifferenceFollowsBothBoxesWithSignAndColour) {
    const DifferenceRow rows[] = {
        {"Ciao", "Salve!", "2", palette::kRed, true},
        {"0123456789", "abcdefg", "-3", palette::kGreen, false},
        {"abc", "xyz", "0", palette::kYellow, false},
        {"", "", "0", palette::kYellow, false},
        {"a", "", "-1", palette::kGreen, false},
    };
    for (const DifferenceRow& row : rows) {
        box(1)->clear();
        box(2)->clear();
        type(box(1), QString::fromUtf8(row.original));
        type(box(2), QString::fromUtf8(row.translation));
        EXPECT_EQ(caption("differ"), QString::fromUtf8(row.shown)) << row.original;
        EXPECT_EQ(platform::captionColour(get<QLabel>("differ")), row.colour) << row.original;
        EXPECT_EQ(get("labpiù")->isVisible(), row.plus) << row.original;
    }
    // Changing the original from longer to shorter than the translation turns green to red.
    box(1)->clear();
    box(2)->clear();
    type(box(2), QStringLiteral("abc"));
    type(box(1), QStringLiteral("abcde"));
    EXPECT_EQ(platform::captionColour(get<QLabel>("differ")), palette::kGreen);
    QTest::keyClick(box(1), Qt::Key_Backspace);
    QTest::keyClick(box(1), Qt::Key_Backspace);
    EXPECT_EQ(platform::captionColour(get<QLabel>("differ")), palette::kYellow);
    QTest::keyClick(box(1), Qt::Key_Backspace);
    EXPECT_EQ(platform::captionColour(get<QLabel>("differ")), palette::kRed);
    EXPECT_TRUE(get("labpiù")->isVisible());
}

TEST_F(Form1Test, FocusStartsInTheTranslationAndTabsThroughCheckBoxToOriginal) {
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    EXPECT_EQ(QApplication::focusWidget(), box(2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), get("Check1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box(1));
}

// Every caption whole in its font, and no control of a frame covering another.
TEST_F(Form1Test, CaptionsFitAndNoControlCoversAnother) {
    for (QLabel* label : window()->findChildren<QLabel*>()) {
        if (label->wordWrap() || label->text().isEmpty()) {
            continue;
        }
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->width()) << label->objectName().toStdString();
        EXPECT_LE(label->fontMetrics().height(), label->height())
            << label->objectName().toStdString();
    }
    for (QWidget* container : window()->findChildren<QFrame*>()) {
        const QList<QWidget*> children =
            container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : children) {
            for (QWidget* b : children) {
                if (a < b && !qobject_cast<QFrame*>(a) && !qobject_cast<QFrame*>(b)) {
                    EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                        << a->objectName().toStdString() << " / " << b->objectName().toStdString();
                }
            }
            EXPECT_TRUE(container->rect().contains(a->geometry())) << a->objectName().toStdString();
        }
    }
}

TEST_F(Form1Test, BoxesStaySingleLineAndWithinTheLengthLimit) {
    QGuiApplication::clipboard()->setText(QStringLiteral("due\r\nrighe\n"));
    box(2)->setFocus();
    QTest::keyClick(box(2), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box(2)->text(), QStringLiteral("duerighe"));
    EXPECT_EQ(caption("car2"), QStringLiteral("8"));

    box(1)->setBoxText(QString(40000, QLatin1Char('x')));
    EXPECT_EQ(box(1)->text().size(), 32767);
    EXPECT_EQ(caption("car1"), QStringLiteral("32767"));
    EXPECT_EQ(caption("differ"), QStringLiteral("-32759"));

    // The two-line text file stays two lines through a save and a load.
    form.unload();
    const QStringList lines = fileText("test").split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("duerighe"));
    form.load();
    EXPECT_EQ(box(2)->text(), QStringLiteral("duerighe"));
    EXPECT_EQ(box(1)->text().size(), 32767);
}

TEST_F(Form1Test, AnUnloadAndALoadBringBackTextsCountsAndPosition) {
    type(box(1), QStringLiteral("  Ciao "));
    type(box(2), QStringLiteral("Salve!"));
    window()->move(123, 77);
    const QPoint before = window()->pos();
    form.unload();
    form.load();
    EXPECT_EQ(box(1)->text(), QStringLiteral("  Ciao "));
    EXPECT_EQ(box(2)->text(), QStringLiteral("Salve!"));
    EXPECT_EQ(caption("car1"), QStringLiteral("7"));
    EXPECT_EQ(caption("par2"), QStringLiteral("1"));
    EXPECT_EQ(caption("differ"), QStringLiteral("-1"));
    EXPECT_EQ(window()->pos(), before);
    // A reload with empty texts recounts although no box changes.
    box(1)->clear();
    box(2)->setText(QStringLiteral("abc"));
    form.unload();
    form.load();
    EXPECT_EQ(form.LenText2, 3);
    EXPECT_TRUE(get("labpiù")->isVisible());
}

} // namespace
