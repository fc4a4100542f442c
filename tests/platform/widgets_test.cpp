#include "platform/system/clipboard.h"
#include "platform/system/display.h"
#include "platform/system/program_folder.h"
#include "platform/widgets/caret_rest.h"
#include "platform/widgets/managed_window.h"
#include "platform/widgets/on_screen.h"
#include "platform/widgets/program_run.h"
#include "platform/widgets/text_box.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

std::vector<std::string> probeLog; // the handler calls and signals of the windows, in order

class ProbeWindow final : public platform::ManagedWindow {
public:
    explicit ProbeWindow(platform::ProgramRun& run) : platform::ManagedWindow(u"Probe"_s, run) {}
    ~ProbeWindow() override { discardWindow(); }

protected:
    platform::WindowShell* createWindow() override { return new platform::WindowShell(Qt::Window); }
    void onLoad() override { probeLog.push_back(isLoaded() ? "load" : "load before the window"); }
    void onUnload() override { probeLog.push_back("unload"); }
};

TEST(ManagedWindow, LoadsUnloadsOnceEachAndEndsForGood) {
    int ends = 0, loaded = 0;
    platform::ProgramRun run([&] { ++ends; });
    ProbeWindow window(run), owner(run);
    QObject::connect(&window, &platform::ManagedWindow::loaded, [&] { ++loaded; });
    QObject::connect(&window, &platform::ManagedWindow::closedByUser,
                     [] { probeLog.push_back("closed"); });
    window.unload(); // nothing to unload yet
    window.load();   // hidden; a second load does nothing
    QWidget* first = window.loadedWindow();
    window.load();
    EXPECT_TRUE(window.loadedWindow() == first && !first->isVisible());

    owner.load();
    window.show(&owner); // the owner is a transient parent, never a QObject parent
    EXPECT_TRUE(owner.loadedWindow()->windowHandle() &&
                first->windowHandle()->transientParent() == owner.loadedWindow()->windowHandle());
    owner.unload(); // the owned window is not unloaded with it

    // A title-bar close unloads from inside the close event and tells; the widget goes later.
    QPointer<QWidget> gone = first;
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    window.show();
    run.end(); // after the end nothing loads or unloads
    run.end();
    EXPECT_FALSE(window.loadedWindow()->isVisible());
    window.unload();
    window.loadedWindow()->close();
    EXPECT_EQ(std::pair(ends, loaded), std::pair(1, 2));
    EXPECT_EQ(probeLog,
              (std::vector<std::string>{"load", "load", "unload", "unload", "closed", "load"}));
}

// Line breaks never get in; a locked box still moves, selects and copies.
TEST(TextBox, HoldsOneLineAndALockedBoxStillMovesAndCopies) {
    platform::TextBox box;
    int changes = 0, presses = 0;
    QObject::connect(&box, &platform::TextBox::changed, [&] { ++changes; });
    QObject::connect(&box, &platform::TextBox::mousePressed, [&] { ++presses; });
    box.setBoxText(u"a\r\nb\nc"_s);
    box.setCursorPosition(1);
    box.insert(u"x\ny"_s);
    box.insert(u"\r"_s); // and the next break too
    EXPECT_EQ(std::tuple(box.text(), box.cursorPosition(), changes), std::tuple(u"axybc"_s, 3, 3));
    box.setBoxText(QString(40000, QLatin1Char('z')));
    EXPECT_EQ(box.text().size(), platform::TextBox::kMaxLength);

    box.setBoxText(u"abcd"_s);
    box.setLocked(true);
    for (const auto& [key, modifiers, caret] :
         {std::tuple(Qt::Key_X, Qt::NoModifier, 2), std::tuple(Qt::Key_Left, Qt::NoModifier, 1),
          std::tuple(Qt::Key_End, Qt::ShiftModifier, 4)}) {
        box.setCursorPosition(2);
        QTest::keyClick(&box, key, modifiers);
        EXPECT_EQ(std::pair(box.text(), box.cursorPosition()), std::pair(u"abcd"_s, caret)) << key;
    }
    // Assistive technology sees a read-only box that keeps its text, and where characters are.
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&box);
    QAccessibleTextInterface* text = face->textInterface();
    face->setText(QAccessible::Value, u"intruso"_s);
    int start = -1, end = -1;
    box.deselect();
    text->selection(0, &start, &end);
    EXPECT_TRUE(face->state().readOnly && face->state().selectableText && start + end == 0 &&
                box.text() == u"abcd"_s && text->text(1, 3) == u"bc"_s);
    EXPECT_LT(text->characterRect(0).x(), text->characterRect(2).x());
    face->editableTextInterface()->insertText(0, u"z"_s);
    QInputMethodEvent replace; // an input method replacing the character before the caret
    replace.setCommitString({}, -1, 1);
    QCoreApplication::sendEvent(&box, &replace);
    EXPECT_EQ(box.text(), u"abcd"_s);
    box.setLocked(false); // unlocked, it edits, selects and moves the caret
    face->editableTextInterface()->insertText(1, u"x"_s);     // axbcd
    face->editableTextInterface()->deleteText(0, 1);          // xbcd
    face->editableTextInterface()->replaceText(1, 3, u"Q"_s); // xQd
    text->addSelection(1, 2);
    text->selection(0, &start, &end);
    EXPECT_EQ(std::tuple(box.text(), box.selectedText(), text->selectionCount(), start, end),
              std::tuple(u"xQd"_s, u"Q"_s, 1, 1, 2));
    text->removeSelection(0);
    const int selections = text->selectionCount();
    text->scrollToSubstring(0, 2);
    text->attributes(1, &start, &end);
    EXPECT_EQ(std::tuple(selections, box.cursorPosition(), start, end, face->state().editable),
              std::tuple(0, 2, 0, 3, true));
    face->setText(QAccessible::Value, u"nuovo"_s);
    // An input method's text goes in too; a double press is a press.
    QInputMethodEvent commit;
    commit.setCommitString(u"I"_s);
    QCoreApplication::sendEvent(&box, &commit);
    QTest::mouseDClick(&box, Qt::LeftButton);
    EXPECT_EQ(std::pair(box.text(), presses), std::pair(u"nuovoI"_s, 1));
    box.setLocked(true);
    QTest::keyClicks(&box, u"ac"_s, Qt::ControlModifier); // select all, copy
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"nuovoI"_s);
}

TEST(SystemFace, InstalledCopyAndX11UnderWayland) {
    EXPECT_TRUE(platform::isInstalledCopy(u"/usr/bin/"_s, u"/usr/bin"_s) &&
                !platform::isInstalledCopy(u"/opt/tavrel"_s, u"/usr/bin"_s));
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    // The platform once X11 is preferred, and why windows cannot show ("-": they can or Qt says).
    const std::array<const char*, 5> displays[] = {
        {"offscreen", ":9999", "wayland-0", "offscreen", "-"},
        {"", ":9999", "wayland-0", "xcb", "cannot open display :9999"},
        {"", "", "wayland-0", "", "-"},
        {"xcb", "", "wayland-0", "xcb", "no display: DISPLAY"},
        {"", ":9999", "", "", "cannot open display :9999"}};
    for (const auto& [platformName, display, wayland, preferred, reason] : displays) {
        for (const auto& [name, value] : {std::pair("QT_QPA_PLATFORM", platformName),
                                          {"DISPLAY", display},
                                          {"WAYLAND_DISPLAY", wayland}}) {
            *value ? qputenv(name, value) : qunsetenv(name);
        }
        platform::preferX11OverWayland();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(preferred));
        EXPECT_TRUE(platform::displayUnavailableReason().value_or(u"-"_s).startsWith(
            QLatin1String(reason)));
    }
    qputenv("QT_QPA_PLATFORM", chosen);
    // Without change reports the clipboard is read at the first count and 250 ms after a read.
    const auto due = &platform::ClipboardCounter::readIsDue;
    EXPECT_EQ((std::array{due(true, std::nullopt), due(true, 900), due(false, std::nullopt),
                          due(false, 249), due(false, 250)}),
              (std::array{false, false, true, false, true}));
    QGuiApplication::clipboard()->setText(u"abc"_s); // before the counter: its first count reads
    EXPECT_EQ(platform::ClipboardCounter().count(), 3);
}

// An action waits for the first expose and the event loop; for a hidden window it runs at once.
TEST(OnScreen, RunsOnceTheWindowHasBeenExposed) {
    int runs = 0;
    QWidget window;
    platform::whenOnScreen(&window, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    window.show();
    platform::whenOnScreen(&window, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 2; }));
}

// The caret of a focused box stops blinking after the rest and blinks again at the next key;
// with a button focused nothing rests.
TEST(CaretRest, StopsTheBlinkOfAnUnusedBoxUntilTheNextInput) {
    const int blink = QApplication::cursorFlashTime();
    ASSERT_GT(blink, 0);
    QWidget window;
    auto* box = new platform::TextBox(&window);
    auto* button = new QWidget(&window);
    button->setFocusPolicy(Qt::StrongFocus);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    platform::CaretRest rest(20);
    button->setFocus();
    QTest::qWait(60); // three rests long: nothing may rest meanwhile
    EXPECT_FALSE(rest.isResting());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rest.isResting(); }));
    EXPECT_EQ(QApplication::cursorFlashTime(), 0);
    QTest::keyClick(box, Qt::Key_A);
    EXPECT_FALSE(rest.isResting());
    EXPECT_EQ(QApplication::cursorFlashTime(), blink);
}

} // namespace
