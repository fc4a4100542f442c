// The working modes: the cycle, the watch loop, the program's ends, what each switch saves.
#include "program_fixture.h"

#include "platform/widgets/controls.h"
#include "platform/widgets/palette.h"

namespace {

using namespace names;

class ModesTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        writeFile("cord", "1500\r\n1200\r\n6000\r\n1200\r\n3000\r\n4500\r\n");
        start();
    }
    void pressFast(Qt::MouseButton button, QPoint at = QPoint(2, 2)) {
        ASSERT_TRUE(fast().isLoaded() && fast().loadedWindow()->isVisible());
        click(fast().loadedWindow(), button, at);
    }
};

// Three left presses lead back to main mode; texts travel, moved windows come back.
TEST_F(ModesTest, LeftPressesGoThroughMiniAndFastModeBackToMain) {
    type(box(main(), kOne), QStringLiteral("uno"));
    type(box(main(), kTwo), QStringLiteral("quattro"));
    main().loadedWindow()->move(-400, 50);
    const struct {
        const char* state;
        platform::ManagedWindow* host;
        ModeCycle::Mode next;
    } modes[] = {{"0220", &mini(), ModeCycle::Mode::Fast},
                 {"0201", &program->fastModeHost(), ModeCycle::Mode::Main},
                 {"2200", &main(), ModeCycle::Mode::Mini}};
    int copied = 4;
    for (const auto& mode : modes) {
        fast().loadedWindow()->move(700, 10);
        pressFast(Qt::LeftButton);
        EXPECT_EQ(state(), QLatin1String(mode.state));
        EXPECT_TRUE(program->modeCycle().nextMode() == mode.next &&
                    program->watchLoop().host() == mode.host);
        EXPECT_EQ(fast().loadedWindow()->pos(), QPoint(700, 10));
        setClipboard(QString(++copied, QLatin1Char('x'))); // the new loop counts
        program->watchLoop().runPass();
        EXPECT_EQ(caption(fast(), kCount), QString::number(copied));
        if (&mini() == mode.host) {
            EXPECT_EQ(box(mini(), kOne)->text() + mini().loadedWindow()->windowTitle(),
                      QStringLiteral("unoMini Counter [+4]"));
            type(box(mini(), kTwo), QStringLiteral("!"));
        }
    }
    // Fast mode left the Mini Counter's texts in the file for the main window.
    EXPECT_EQ(box(main(), kTwo)->text(), QStringLiteral("quattro!"));
    EXPECT_EQ(caption(main(), kDifference), QStringLiteral("5"));
    EXPECT_EQ(main().loadedWindow()->pos(), QPoint(-400, 50));
    EXPECT_EQ(mini().lengthDifference(), 5);
}

TEST_F(ModesTest, RightPressSavesOnlyTheFastCounterAndOtherPressesDoNothing) {
    type(box(main(), kOne), QStringLiteral("perso"));
    pressFast(Qt::MiddleButton);
    pressFast(Qt::LeftButton, get(fast(), kCount)->mapTo(fast().loadedWindow(), QPoint(2, 2)));
    EXPECT_EQ(state(), QStringLiteral("2200"));
    fast().loadedWindow()->move(30, 40);
    pressFast(Qt::RightButton);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(fileBytes("cord"), "1500\r\n1200\r\n450\r\n600\r\n3000\r\n4500\r\n");
    EXPECT_EQ(fileBytes("test"), QByteArray("\r\n\r\n")); // written by the first run only
}

TEST_F(ModesTest, ClosingAHostSavesItAndTheFastCounterAndEnds) {
    for (const bool inMini : {false, true}) {
        SCOPED_TRACE(inMini);
        if (inMini) {
            program = std::make_unique<Program>(folder.path(), dialog, [this] { ++ends; });
            start();
            pressFast(Qt::LeftButton);
        }
        platform::ManagedWindow& host = *windows()[inMini ? 2 : 0];
        box(host, kOne)->clear();
        type(box(host, kOne), QStringLiteral("kept"));
        host.loadedWindow()->move(10, 20);
        fast().loadedWindow()->move(30, 40);
        host.loadedWindow()->close();
        EXPECT_EQ(ends, inMini ? 2 : 1);
        EXPECT_EQ(state(), QStringLiteral("0000"));
        EXPECT_EQ(fileBytes("test"), "kept\r\n\r\n");
        EXPECT_EQ(fileBytes("cord"), inMini ? "150\r\n300\r\n450\r\n600\r\n150\r\n300\r\n"
                                            : "150\r\n300\r\n450\r\n600\r\n3000\r\n4500\r\n");
    }
}

TEST_F(ModesTest, TheLoopFollowsItsHostAndAFailedReadStopsOnlyTheCount) {
    // A Fast Counter closed by the window manager comes back at the next pass: a switch.
    fast().loadedWindow()->close();
    EXPECT_EQ(state(), QStringLiteral("2000"));
    program->watchLoop().runPass();
    EXPECT_EQ(state(), QStringLiteral("0220"));

    setClipboard(std::nullopt);
    program->watchLoop().runPass();
    EXPECT_FALSE(program->watchLoop().isRunning());
    setClipboard(QStringLiteral("abc"));
    program->watchLoop().runPass();
    EXPECT_EQ(caption(fast(), kCount), QStringLiteral("0"));
    // Everything else goes on, and the next switch counts again.
    pressFast(Qt::LeftButton);
    program->watchLoop().runPass();
    EXPECT_EQ(caption(fast(), kCount), QStringLiteral("3"));

    // Passes also come from the event loop, following the real clipboard.
    program->clipboard().setReaderForTests({});
    QGuiApplication::clipboard()->setText(QStringLiteral("dodici lett"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return caption(fast(), kCount) == QLatin1String("11"); }));
    program->fastModeHost().unload();
    program->watchLoop().runPass();
    EXPECT_FALSE(program->watchLoop().isRunning());
}

// The Mini Counter opens with what it can read; typing retitles and recolours, moves refresh tips.
TEST_F(ModesTest, TheMiniCounterShowsTheDifferenceAndTheCounts) {
    program.reset();
    QWidget probe(nullptr, Qt::Tool); // a new window opens where the platform puts it
    probe.show();
    const QPoint unplaced = probe.pos();
    const struct {
        QByteArray miniLines, texts; // lines 5 and 6 of the position file, the text file
        int x, y;                    // -1: where the window opens by itself
        const char* caption;
    } rows[] = {{"1500\r\n-750\r\n", "Ciao\r\nSalve!\r\n", 100, -50, " [+2]"},
                {"abc\r\n750\r\n", "Ciao\r\n", -1, 50, " [-4]"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.miniLines.constData());
        writeFile("cord", "0\r\n0\r\n0\r\n0\r\n" + row.miniLines);
        writeFile("test", row.texts);
        program = std::make_unique<Program>(folder.path(), dialog, [this] { ++ends; });
        mini().load();
        EXPECT_TRUE(mini().loadedWindow()->isVisible());
        EXPECT_EQ(mini().loadedWindow()->pos(),
                  QPoint(row.x == -1 ? unplaced.x() : row.x, row.y == -1 ? unplaced.y() : row.y));
        EXPECT_EQ(mini().loadedWindow()->windowTitle(),
                  QStringLiteral("Mini Counter") + QLatin1String(row.caption));
    }
    const auto moveOver = [this](Box which) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2),
                         box(mini(), which)->mapToGlobal(QPointF(2, 2)), Qt::NoButton, {}, {});
        QCoreApplication::sendEvent(box(mini(), which), &move);
        return box(mini(), which)->toolTip();
    };
    QTest::keyClicks(box(mini(), kOne), QStringLiteral("o. Si"));
    EXPECT_EQ(mini().loadedWindow()->windowTitle(), QStringLiteral("Mini Counter [-9]"));
    EXPECT_EQ(platform::textColour(box(mini(), kTwo)), palette::kGreen);
    EXPECT_EQ(mini().lengthDifference(), -9);
    QTest::keyClicks(box(mini(), kTwo), QStringLiteral("abcdefghij"));
    EXPECT_EQ(platform::textColour(box(mini(), kTwo)), palette::kRed);
    EXPECT_EQ(moveOver(kOne), QStringLiteral("Spazi:1 Parole:2 Frasi:1"));
    EXPECT_EQ(moveOver(kTwo), QStringLiteral("Spazi:0 Parole:1 Frasi:0"));
}

} // namespace
