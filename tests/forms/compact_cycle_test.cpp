#include "forms/compact/default_positions.h"
#include "forms/compact/form2.h"
#include "forms/compact/form3.h"
#include "forms/compact/form4.h"
#include "forms/compact/watch_loop.h"
#include "platform/clipboard.h"
#include "platform/controls.h"
#include "platform/keep_on_top.h"
#include "platform/program_end.h"
#include "platform/program_folder.h"
#include "platform/text_box.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <optional>

namespace {

// A stand-in for the main window, a host like the real one: its load places it from lines 1-2,
// fills its boxes from the text file, shows itself and the Fast Counter and starts the loop;
// its unload saves both.
class StandInMain final : public platform::Form {
public:
    StandInMain() : platform::Form(QStringLiteral("Form1")) {}
    platform::Form* fastCounter = nullptr;
    WatchLoop* loop = nullptr;

protected:
    QWidget* createWindow() override {
        auto* window = new QWidget;
        platform::markStaysOnTop(window);
        platform::setUpWindow(window, QStringLiteral("Tavrel Counter"), 4230, 5910);
        platform::addTextBox(window, QStringLiteral("Text1"), 120, 120, 3000, 285);
        platform::addTextBox(window, QStringLiteral("Text2"), 120, 600, 3000, 285);
        return window;
    }
    void Form_Load() override {
        const storage::PositionFile positions = readPositions();
        loadedWindow()->move(framePixels(positions.twips(storage::MainLeft).value_or(0),
                                         positions.twips(storage::MainTop).value_or(0)));
        const storage::TextLines texts = readTexts();
        control<platform::TextBox>(QStringLiteral("Text1"))
            ->setBoxText(texts.orig.value_or(QString()));
        control<platform::TextBox>(QStringLiteral("Text2"))
            ->setBoxText(texts.trans.value_or(QString()));
        show();
        fastCounter->show(this);
        loop->start(this);
    }
    void Form_Unload() override {
        savePosition(storage::MainLeft, loadedWindow()->pos());
        storage::writeTextFile(textFilePath(), control<QLineEdit>(QStringLiteral("Text1"))->text(),
                               control<QLineEdit>(QStringLiteral("Text2"))->text());
    }
};

const QByteArray kCord = "1500\r\n1200\r\n6000\r\n1200\r\n3000\r\n4500\r\n";

// The four windows wired as the program wires them, in a temporary program folder with the
// position file above, a clipboard the test controls, and the program's end recorded.
class Cycle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform::setProgramFolderForTests(folder.path());
        platform::resetEndForTests();
        platform::setEndHandlerForTests([this] { ended = true; });
        setClipboard(QString());
        fast.setWindows(&main, &mini, &background);
        main.fastCounter = &fast;
        main.loop = &loop;
        mini.setFastCounter(&fast);
        mini.setWatchLoop(&loop);
        background.setFastCounter(&fast);
        background.setWatchLoop(&loop);
        QFile file(folder.filePath(QStringLiteral("cord")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kCord);
    }
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setEndHandlerForTests({});
        platform::resetEndForTests();
        platform::setProgramFolderForTests({});
    }

    // Nothing is a read that fails.
    void setClipboard(std::optional<QString> text) {
        clipboard = std::move(text);
        counter.setReaderForTests([this] { return clipboard; });
    }
    QByteArray fileBytes(const char* name) const {
        QFile file(folder.filePath(QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QList<QByteArray> cordLines() const { return fileBytes("cord").split('\n'); }

    // A press and release through the window, as real input arrives; `at` in pixels from the
    // window's corner, on the margin unless told.
    void pressFast(Qt::MouseButton button, QPoint at = QPoint(2, 2)) {
        ASSERT_TRUE(fast.isLoaded() && fast.loadedWindow()->isVisible());
        const QPointer<QWindow> handle = fast.loadedWindow()->windowHandle();
        QTest::mousePress(handle, button, {}, at);
        if (!handle.isNull()) {
            QTest::mouseRelease(handle, button, {}, at);
        }
    }
    QString count() { return fast.control<QLabel>(QStringLiteral("cont"))->text(); }
    static QLineEdit* box(platform::Form& form, const char* name) {
        return form.control<QLineEdit>(QLatin1String(name));
    }
    // "1" for loaded, "2" for shown, per window in the order main, Fast, Mini, background.
    QString state() {
        QString text;
        for (platform::Form* form :
             std::initializer_list<platform::Form*>{&main, &fast, &mini, &background}) {
            const bool shown = form->isLoaded() && form->loadedWindow()->isVisible();
            text += QLatin1Char(shown ? '2' : form->isLoaded() ? '1' : '0');
        }
        return text;
    }

    QTemporaryDir folder;
    bool ended = false;
    std::optional<QString> clipboard;
    platform::ClipboardCounter counter;
    Form2 fast;
    StandInMain main;
    Form3 mini;
    Form4 background;
    WatchLoop loop{counter, fast};
};

TEST_F(Cycle, LeftPressesGoThroughMiniAndFastModeBackToMainWithTheTexts) {
    struct Mode {
        const char* state; // main, Fast, Mini, background: 0 unloaded, 1 loaded, 2 shown
        platform::Form* host;
        int cycleStep;
    };
    const Mode modes[] = {
        {"2200", &main, 1}, {"0220", &mini, 2}, {"0201", &background, 0}, {"2200", &main, 1}};
    main.load();
    QTest::keyClicks(box(main, "Text1"), QStringLiteral(" Ciao "));
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.state);
        if (&mode != &modes[0]) {
            pressFast(Qt::LeftButton);
        }
        EXPECT_EQ(state(), QLatin1String(mode.state));
        EXPECT_EQ(fast.cycleStep(), mode.cycleStep);
        EXPECT_EQ(loop.host(), mode.host);
        EXPECT_EQ(fast.loadedWindow()->windowHandle()->transientParent(),
                  mode.host->loadedWindow()->windowHandle());
        setClipboard(QString(mode.cycleStep + 4, QLatin1Char('x'))); // the new loop counts
        loop.runPassForTests();
        EXPECT_EQ(count(), QString::number(mode.cycleStep + 4));
        if (mode.host == &mini) {
            EXPECT_EQ(box(mini, "Text1")->text(), QStringLiteral(" Ciao "));
            QTest::keyClicks(box(mini, "Text2"), QStringLiteral("Salve!"));
        }
    }
    // Fast mode left the Mini Counter's texts in the file for the main window.
    EXPECT_EQ(fileBytes("test"), QByteArray(" Ciao \r\nSalve!\r\n"));
    EXPECT_EQ(box(main, "Text2")->text(), QStringLiteral("Salve!"));
    EXPECT_FALSE(ended);
}

TEST_F(Cycle, WindowsComeBackWhereTheyWereMovedEvenOffTheScreen) {
    main.load();
    fast.loadedWindow()->move(123, 45);
    pressFast(Qt::LeftButton);
    EXPECT_EQ(fast.loadedWindow()->pos(), QPoint(123, 45));
    EXPECT_EQ(cordLines().mid(2, 2), (QList<QByteArray>{"1845\r", "675\r"}));
    mini.loadedWindow()->move(-40, 300);
    for (int press = 0; press < 3; ++press) {
        pressFast(Qt::LeftButton); // Fast mode, main mode, Mini mode
    }
    EXPECT_EQ(mini.loadedWindow()->pos(), QPoint(-40, 300));
}

TEST_F(Cycle, RightPressInMiniModeSavesOnlyTheFastCounterAndEnds) {
    main.load();
    pressFast(Qt::LeftButton);
    QTest::keyClicks(box(mini, "Text1"), QStringLiteral("lost"));
    QList<QByteArray> expected = cordLines();
    const QByteArray texts = fileBytes("test");
    fast.loadedWindow()->move(77, 66);
    pressFast(Qt::RightButton);
    EXPECT_TRUE(ended);
    expected[2] = "1155\r";
    expected[3] = "990\r";
    EXPECT_EQ(cordLines(), expected);
    EXPECT_EQ(fileBytes("test"), texts);
    loop.runPassForTests();
    EXPECT_FALSE(loop.isRunning());
}

TEST_F(Cycle, PressesOnTheCaptionsOrWithTheMiddleButtonDoNothing) {
    main.load();
    for (const auto& [where, button] : {std::pair{"Label1", Qt::LeftButton},
                                        {"cont", Qt::RightButton},
                                        {"Label3", Qt::LeftButton},
                                        {"Label2", Qt::MiddleButton}}) {
        SCOPED_TRACE(where);
        QWidget* window = fast.loadedWindow();
        const QWidget* target = fast.control<QWidget>(QLatin1String(where));
        const QPoint at = button == Qt::MiddleButton ? QPoint(2, 2) : target->pos() + QPoint(3, 3);
        ASSERT_EQ(window->childAt(at), target);
        pressFast(button, at);
        EXPECT_EQ(fast.loadedWindow(), window);
        EXPECT_EQ(state(), QStringLiteral("2200"));
        EXPECT_EQ(fileBytes("cord"), kCord);
        EXPECT_FALSE(ended);
    }
}

TEST_F(Cycle, ClosingTheMiniCounterSavesItAndTheFastCounterAndEnds) {
    main.load();
    pressFast(Qt::LeftButton);
    QTest::keyClicks(box(mini, "Text1"), QStringLiteral("kept"));
    mini.loadedWindow()->move(10, 20);
    fast.loadedWindow()->move(30, 40);
    mini.loadedWindow()->close();
    EXPECT_TRUE(ended);
    EXPECT_EQ(state(), QStringLiteral("0000"));
    EXPECT_EQ(cordLines().mid(2, 4), (QList<QByteArray>{"450\r", "600\r", "150\r", "300\r"}));
    EXPECT_TRUE(fileBytes("test").startsWith("kept\r\n"));
}

TEST_F(Cycle, ClosingTheFastCounterSwitchesOnePassLater) {
    main.load();
    fast.loadedWindow()->move(30, 40);
    fast.loadedWindow()->close();
    EXPECT_EQ(state(), QStringLiteral("2000"));
    EXPECT_EQ(cordLines().mid(2, 2), (QList<QByteArray>{"450\r", "600\r"}));
    loop.runPassForTests();
    EXPECT_EQ(state(), QStringLiteral("0220"));
    EXPECT_EQ(fast.loadedWindow()->pos(), QPoint(30, 40));
    EXPECT_EQ(loop.host(), &mini);
}

TEST_F(Cycle, AFailedClipboardReadStopsOnlyTheCount) {
    main.load();
    setClipboard(QStringLiteral("abc"));
    loop.runPassForTests();
    setClipboard(std::nullopt);
    loop.runPassForTests();
    EXPECT_FALSE(loop.isRunning());
    setClipboard(QStringLiteral("hello"));
    loop.runPassForTests();
    EXPECT_EQ(count(), QStringLiteral("3"));
    // Everything else goes on, and the next switch counts again.
    QTest::keyClicks(box(main, "Text1"), QStringLiteral("x"));
    pressFast(Qt::LeftButton);
    EXPECT_EQ(box(mini, "Text1")->text(), QStringLiteral("x"));
    loop.runPassForTests();
    EXPECT_EQ(count(), QStringLiteral("5"));
}

TEST_F(Cycle, PassesFollowTheSystemClipboardUnlessHeldAndStopWithTheirHost) {
    counter.setReaderForTests([] { return std::optional(platform::clipboardText()); });
    main.load();
    {
        const WatchLoop::Hold hold;
        platform::setClipboardText(QStringLiteral("abcd"));
        loop.runPassForTests();
        EXPECT_EQ(count(), QStringLiteral("0"));
    }
    platform::setClipboardText(QStringLiteral("Ciao\r\nmondo!"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return count() == QStringLiteral("12"); }, 2000));
    main.unload();
    loop.runPassForTests();
    EXPECT_FALSE(loop.isRunning());
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
    EXPECT_EQ(fast.loadedWindow()->pos(), framePixels(defaults[2], defaults[3]));
    // Fast Counter to the right of the main window, Mini Counter at its place.
    EXPECT_GT(defaults[2], defaults[0] + 4230);
    EXPECT_EQ(QList<int>({defaults[3], defaults[4], defaults[5]}),
              QList<int>({defaults[1], defaults[0], defaults[1]}));
}

} // namespace
