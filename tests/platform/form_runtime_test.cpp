#include "platform/form.h"
#include "platform/program_end.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A window with one label and one check box; it records its handlers' calls, and a press
// on its label unloads it from inside its own event handler.
class ProbeForm final : public platform::Form {
public:
    explicit ProbeForm(std::vector<std::string>* log)
        : platform::Form(QStringLiteral("Probe")), log_(log) {}
    int counter = 0; // a window-level variable
    bool loadSawLoaded = false;

protected:
    QWidget* createWindow() override {
        auto* window = new QWidget;
        auto* box = new QCheckBox(window); // under the label, which takes the presses
        box->setObjectName(QStringLiteral("check"));
        auto* label = new QLabel(QStringLiteral("design"), window);
        label->setObjectName(QStringLiteral("caption"));
        label->installEventFilter(this);
        return window;
    }
    void Form_Load() override {
        loadSawLoaded = isLoaded();
        log_->push_back("load");
    }
    void Form_Unload() override { log_->push_back("unload"); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress &&
            watched->objectName() == QStringLiteral("caption")) {
            unload();
            return true;
        }
        return platform::Form::eventFilter(watched, event);
    }

private:
    std::vector<std::string>* log_;
};

class FormRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::resetEndForTests();
        platform::setEndHandlerForTests([this] { ++ends; });
    }
    void TearDown() override {
        platform::setEndHandlerForTests({});
        platform::resetEndForTests();
    }
    std::vector<std::string> log;
    ProbeForm form{&log};
    int ends = 0;
};

TEST_F(FormRuntimeTest, LoadAndUnloadAreIdempotent) {
    form.unload(); // unloading an unloaded window does nothing
    EXPECT_TRUE(log.empty());
    form.load();
    QWidget* first = form.loadedWindow();
    EXPECT_TRUE(form.loadSawLoaded); // the load handler runs once the window counts as loaded
    EXPECT_EQ(first->objectName(), QStringLiteral("Probe"));
    EXPECT_FALSE(first->isVisible()); // created hidden
    form.load();                      // loading a loaded window does nothing
    EXPECT_EQ(form.loadedWindow(), first);
    form.unload();
    form.unload();
    EXPECT_EQ(log, (std::vector<std::string>{"load", "unload"}));
    EXPECT_FALSE(form.isLoaded());
}

TEST_F(FormRuntimeTest, ReachingAControlLoadsAndVariablesOutliveTheControls) {
    auto* caption = form.control<QLabel>(QStringLiteral("caption"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"load"});
    form.counter = 7;
    caption->setText(QStringLiteral("changed"));
    form.control<QCheckBox>(QStringLiteral("check"))->setChecked(true);
    form.unload();
    EXPECT_EQ(form.counter, 7);
    EXPECT_EQ(form.control<QLabel>(QStringLiteral("caption"))->text(), QStringLiteral("design"));
    EXPECT_FALSE(form.control<QCheckBox>(QStringLiteral("check"))->isChecked());
}

TEST_F(FormRuntimeTest, UnloadFromInsideItsOwnEventHandlerDoesNotCrash) {
    form.show();
    QWidget* window = form.loadedWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QPointer<QWidget> watched = window;
    QPointer<QWindow> handle = window->windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(form.isLoaded());
    if (!watched.isNull()) {
        EXPECT_FALSE(window->isVisible());
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(10, 10));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull()); // deleted once Qt left the event
    form.load();
    EXPECT_TRUE(form.isLoaded());
}

TEST_F(FormRuntimeTest, ShowWithOwnerSetsATransientParentOnly) {
    ProbeForm owner(&log);
    owner.show();
    form.show(&owner);
    EXPECT_EQ(form.loadedWindow()->windowHandle()->transientParent(),
              owner.loadedWindow()->windowHandle());
    EXPECT_EQ(form.loadedWindow()->parent(), nullptr);
    owner.unload(); // the owned window is not deleted behind the runtime's back
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isLoaded());
    EXPECT_TRUE(form.loadedWindow()->isVisible());
}

TEST_F(FormRuntimeTest, EndingRunsNoUnloadAndStopsTheLifeCycle) {
    form.show();
    platform::endProgram();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(form.loadedWindow()->isVisible());
    form.unload();
    platform::endProgram(); // ending twice ends once
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(log, std::vector<std::string>{"load"});
}

TEST_F(FormRuntimeTest, TitleBarCloseUnloadsByDefault) {
    form.show();
    form.loadedWindow()->close();
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(log.back(), "unload");
}

} // namespace
