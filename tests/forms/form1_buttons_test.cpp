#include "form1_fixture.h"

#include "platform/pressed_look_pair.h"

namespace {

struct ButtonRow {
    const char* pair;
    const char* normal;
    const char* pressed;
};

TEST_F(Form1Test, OnlyThePressedLookShowsWhileAButtonIsHeld) {
    const ButtonRow rows[] = {{"abPair", "ab1", "ab2"},
                              {"imTBLPair", "imTBL1", "imTBL2"},
                              {"backPair", "back1", "back2"}};
    for (const ButtonRow& row : rows) {
        auto* pair = get(row.pair);
        for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            // INDIETRO lies on the about face, the others on the working face.
            get("Frame1")->setVisible(QString::fromLatin1(row.pair) != QStringLiteral("backPair"));
            SCOPED_TRACE(std::string(row.pair) + " button " + std::to_string(int(button)));
            press(pair, button);
            // Shown or hidden in itself: ABOUT's release hides the whole working face.
            EXPECT_TRUE(get(row.normal)->isHidden()) << row.pair;
            EXPECT_FALSE(get(row.pressed)->isHidden()) << row.pair;
            if (QString::fromLatin1(row.pair) == QStringLiteral("imTBLPair")) {
                // Its release opens the table dialog; the looks alone are tested here.
                get(row.pressed)->hide();
                get(row.normal)->show();
                QTest::mouseRelease(window()->windowHandle(), button, {}, QPoint(1, 1));
                continue;
            }
            release(pair, button);
            EXPECT_FALSE(get(row.normal)->isHidden()) << row.pair;
            EXPECT_TRUE(get(row.pressed)->isHidden()) << row.pair;
        }
    }
}

TEST_F(Form1Test, AboutReleasedOffThePictureShowsTheAboutFaceAndBackReturns) {
    EXPECT_TRUE(get("Frame1")->isVisible());
    EXPECT_FALSE(get("ab2")->isVisible());
    press(get("abPair"), Qt::LeftButton);
    release(get("abPair"), Qt::LeftButton, QPoint(2, 2)); // far off the button
    EXPECT_FALSE(get("Frame1")->isVisible());
    EXPECT_FALSE(get("ab1")->isHidden());
    EXPECT_TRUE(get("ab2")->isHidden());
    for (const char* shown : {"Image3", "Image1", "Label8", "Label6", "url", "back1"}) {
        EXPECT_TRUE(get(shown)->isVisible()) << shown;
    }
    EXPECT_FALSE(get("back2")->isVisible()); // the first about face shows INDIETRO at rest
    EXPECT_EQ(caption("Label8"),
              QStringLiteral("Programma realizzato da Tavrel. Applicazione pensata per aiutare "
                             "tutti i traduttori di rom che contano i caratteri da tradurre e da "
                             "reinserire negli editor esadecimali.          Clicca "
                             "sull'indirizzo internet per copiarlo negli appunti."));
    press(get("backPair"), Qt::LeftButton);
    release(get("backPair"), Qt::LeftButton);
    EXPECT_TRUE(get("Frame1")->isVisible());
    EXPECT_TRUE(get("Image3")->isVisible());
}

TEST_F(Form1Test, UrlClickPutsExactlyItsCaptionOnTheClipboard) {
    get("Frame1")->hide();
    QGuiApplication::clipboard()->setText(QStringLiteral("prima"));
    press(get("url"), Qt::LeftButton);
    release(get("url"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), caption("url"));
    EXPECT_TRUE(caption("url").startsWith(QStringLiteral("https://")));
    // "Incolla" then inserts it.
    item("mInc")->trigger();
    EXPECT_EQ(box(1)->text(), caption("url"));
}

TEST_F(Form1Test, EsciWithAnyButtonSavesThisWindowAndEnds) {
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton}) {
        ends = 0;
        platform::resetEndForTests();
        if (!form.isLoaded()) {
            form.load();
        }
        box(1)->setText(QStringLiteral("originale"));
        box(2)->setText(button == Qt::RightButton ? QStringLiteral("destro")
                                                  : QStringLiteral("sinistro"));
        window()->move(40, 30);
        press(get("escPair"), button);
        EXPECT_TRUE(get("esc2")->isVisible());
        release(get("escPair"), button);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(fileText("test"),
                  QStringLiteral("originale\r\n") + box(2)->text() + QStringLiteral("\r\n"));
        const QStringList cord = fileText("cord").split(QStringLiteral("\r\n"));
        EXPECT_EQ(cord.value(0), QString::number(window()->pos().x() * 15));
        EXPECT_FALSE(get("esc2")->isVisible());
        // No other unload runs after the end: the text file stays as ESCI wrote it.
        const QString saved = fileText("test");
        box(2)->setText(QStringLiteral("dopo"));
        form.unload();
        EXPECT_EQ(fileText("test"), saved);
        platform::resetEndForTests();
        form.unload();
    }
}

} // namespace
