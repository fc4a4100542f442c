#include "compact_fixture.h"
#include "forms/compact/default_positions.h"
#include "platform/program_end.h"
#include "platform/program_folder.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

const QByteArray kCord = "1500\r\n1200\r\n6000\r\n1200\r\n3000\r\n4500\r\n";

// The four windows in a temporary program folder holding the position file above, with the
// program's end recorded.
class Cycle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform::setProgramFolderForTests(folder.path());
        platform::resetEndForTests();
        platform::setEndHandlerForTests([this] { ended = true; });
        QFile file(folder.filePath(QStringLiteral("cord")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kCord) == kCord.size());
    }
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setEndHandlerForTests({});
        platform::resetEndForTests();
        platform::setProgramFolderForTests({});
    }

    QByteArray fileBytes(const char* name) const {
        QFile file(folder.filePath(QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QList<QByteArray> cordLines() const { return fileBytes("cord").split('\n'); }
    QString count() { return w.fast.control<QLabel>(QStringLiteral("cont"))->text(); }
    static QLineEdit* box(platform::Form& form, const char* name) {
        return form.control<QLineEdit>(QLatin1String(name));
    }

    // A title-bar close of the host after typing and moving it and the Fast Counter; `lines`
    // of the position file from `first` on are then the host's and the Fast Counter's.
    void closeAfterMoving(platform::Form& host, int first, const QList<QByteArray>& lines) {
        QTest::keyClicks(box(host, "Text1"), QStringLiteral("kept"));
        host.loadedWindow()->move(10, 20);
        w.fast.loadedWindow()->move(30, 40);
        host.loadedWindow()->close();
        EXPECT_TRUE(ended);
        EXPECT_EQ(w.state(), QStringLiteral("0000"));
        EXPECT_TRUE(fileBytes("test").startsWith("kept\r\n"));
        EXPECT_EQ(cordLines().mid(first, 4), lines);
    }

    QTemporaryDir folder;
    bool ended = false;
    Form1 main;
    CompactWindows w{main};
};

// Three left presses lead back to main mode; the texts travel through the text file and moved
// windows come back where they were, even off the screen.
TEST_F(Cycle, LeftPressesGoThroughMiniAndFastModeBackToMain) {
    const struct {
        const char* state;
        platform::Form* host;
        int cycleStep;
    } modes[] = {
        {"2200", &main, 1}, {"0220", &w.mini, 2}, {"0201", &w.background, 0}, {"2200", &main, 1}};
    main.load();
    QTest::keyClicks(box(main, "Text1"), QStringLiteral(" Ciao "));
    w.fast.loadedWindow()->move(123, 45);
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.state);
        if (&mode != &modes[0]) {
            w.pressFast(Qt::LeftButton);
        }
        EXPECT_EQ(w.state(), QLatin1String(mode.state));
        EXPECT_EQ(w.fast.cycleStep(), mode.cycleStep);
        EXPECT_EQ(w.loop.host(), mode.host);
        EXPECT_EQ(w.fast.loadedWindow()->windowHandle()->transientParent(),
                  mode.host->loadedWindow()->windowHandle());
        EXPECT_EQ(w.fast.loadedWindow()->pos(), QPoint(123, 45));
        w.setClipboard(QString(mode.cycleStep + 4, QLatin1Char('x'))); // the new loop counts
        w.loop.runPassForTests();
        EXPECT_EQ(count(), QString::number(mode.cycleStep + 4));
        if (mode.host == &w.mini) {
            EXPECT_EQ(box(w.mini, "Text1")->text(), QStringLiteral(" Ciao "));
            QTest::keyClicks(box(w.mini, "Text2"), QStringLiteral("Salve!"));
            w.mini.loadedWindow()->move(-40, 300);
        }
    }
    // Fast mode left the Mini Counter's texts in the file for the main window.
    EXPECT_EQ(fileBytes("test"), QByteArray(" Ciao \r\nSalve!\r\n"));
    EXPECT_EQ(box(main, "Text2")->text(), QStringLiteral("Salve!"));
    EXPECT_EQ(cordLines().mid(2, 2), (QList<QByteArray>{"1845\r", "675\r"}));
    w.pressFast(Qt::LeftButton);
    EXPECT_EQ(w.mini.loadedWindow()->pos(), QPoint(-40, 300));
    EXPECT_FALSE(ended);
}

TEST_F(Cycle, RightPressInMiniModeSavesOnlyTheFastCounterAndEnds) {
    main.load();
    w.pressFast(Qt::LeftButton);
    QTest::keyClicks(box(w.mini, "Text1"), QStringLiteral("lost"));
    QList<QByteArray> expected = cordLines();
    const QByteArray texts = fileBytes("test");
    w.fast.loadedWindow()->move(77, 66);
    w.pressFast(Qt::RightButton);
    EXPECT_TRUE(ended);
    expected[2] = "1155\r";
    expected[3] = "990\r";
    EXPECT_EQ(cordLines(), expected);
    EXPECT_EQ(fileBytes("test"), texts);
    w.loop.runPassForTests();
    EXPECT_FALSE(w.loop.isRunning());
}

TEST_F(Cycle, PressesOnTheCaptionsOrWithTheMiddleButtonDoNothing) {
    main.load();
    for (const auto& [where, button] : {std::pair{"Label1", Qt::LeftButton},
                                        {"cont", Qt::RightButton},
                                        {"Label3", Qt::LeftButton},
                                        {"Label2", Qt::MiddleButton}}) {
        SCOPED_TRACE(where);
        QWidget* window = w.fast.loadedWindow();
        const QWidget* target = w.fast.control<QWidget>(QLatin1String(where));
        const QPoint at = button == Qt::MiddleButton ? QPoint(2, 2) : target->pos() + QPoint(3, 3);
        ASSERT_EQ(window->childAt(at), target);
        w.pressFast(button, at);
        EXPECT_EQ(w.fast.loadedWindow(), window);
        EXPECT_EQ(w.state(), QStringLiteral("2200"));
        EXPECT_EQ(fileBytes("cord"), kCord);
        EXPECT_FALSE(ended);
    }
}

TEST_F(Cycle, ClosingTheMainWindowSavesItAndTheFastCounterAndEnds) {
    main.load();
    closeAfterMoving(main, 0, {"150\r", "300\r", "450\r", "600\r"});
}

TEST_F(Cycle, ClosingTheMiniCounterSavesItAndTheFastCounterAndEnds) {
    main.load();
    w.pressFast(Qt::LeftButton);
    closeAfterMoving(w.mini, 2, {"450\r", "600\r", "150\r", "300\r"});
}

TEST_F(Cycle, ClosingTheFastCounterSwitchesOnePassLater) {
    main.load();
    w.fast.loadedWindow()->move(30, 40);
    w.fast.loadedWindow()->close();
    EXPECT_EQ(w.state(), QStringLiteral("2000"));
    EXPECT_EQ(cordLines().mid(2, 2), (QList<QByteArray>{"450\r", "600\r"}));
    w.loop.runPassForTests();
    EXPECT_EQ(w.state(), QStringLiteral("0220"));
    EXPECT_EQ(w.fast.loadedWindow()->pos(), QPoint(30, 40));
    EXPECT_EQ(w.loop.host(), &w.mini);
}

TEST_F(Cycle, AFailedClipboardReadStopsOnlyTheCount) {
    main.load();
    w.setClipboard(QStringLiteral("abc"));
    w.loop.runPassForTests();
    w.setClipboard(std::nullopt);
    w.loop.runPassForTests();
    EXPECT_FALSE(w.loop.isRunning());
    w.setClipboard(QStringLiteral("hello"));
    w.loop.runPassForTests();
    EXPECT_EQ(count(), QStringLiteral("3"));
    // Everything else goes on, and the next switch counts again.
    QTest::keyClicks(box(main, "Text1"), QStringLiteral("x"));
    w.pressFast(Qt::LeftButton);
    EXPECT_EQ(box(w.mini, "Text1")->text(), QStringLiteral("x"));
    w.loop.runPassForTests();
    EXPECT_EQ(count(), QStringLiteral("5"));
}

TEST_F(Cycle, PassesFollowTheSystemClipboardUnlessHeldAndStopWithTheirHost) {
    w.counter.setReaderForTests([] { return std::optional(platform::clipboardText()); });
    main.load();
    {
        const WatchLoop::Hold hold;
        platform::setClipboardText(QStringLiteral("abcd"));
        w.loop.runPassForTests();
        EXPECT_EQ(count(), QStringLiteral("0"));
    }
    platform::setClipboardText(QStringLiteral("Ciao\r\nmondo!"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return count() == QStringLiteral("12"); }, 2000));
    main.unload();
    w.loop.runPassForTests();
    EXPECT_FALSE(w.loop.isRunning());
}

TEST_F(Cycle, AFirstRunCreatesBothFilesWithTheDefaults) {
    QFile::remove(folder.filePath(QStringLiteral("cord")));
    main.load();
    const std::array<int, 6> defaults = defaultPositionsTwips();
    QByteArray expected;
    for (int value : defaults) {
        expected += QByteArray::number(value) + "\r\n";
    }
    EXPECT_EQ(fileBytes("cord"), expected);
    EXPECT_EQ(fileBytes("test"), QByteArray("\r\n\r\n"));
    EXPECT_EQ(w.fast.loadedWindow()->pos(), framePixels(defaults[2], defaults[3]));
}

} // namespace
