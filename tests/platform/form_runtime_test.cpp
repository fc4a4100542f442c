#include "platform/form.h"
#include "platform/program_end.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <vector>

namespace {

// A window with one label and one check box; it records its handlers' calls, and a press
// on its label unloads it from inside its own event handler.
class ProbeForm final : public platform::Form {
public:
    explicit ProbeForm(std::vector<QString>* log)
        : platform::Form(QStringLiteral("Probe")), log_(log) {}

    int counter = 0; // a window-level variable
    bool loadSawLoaded = false;

protected:
    QWidget* createWindow() override {
        auto* window = new QWidget;
        window->resize(200, 100);
        auto* label = new QLabel(QStringLiteral("design"), window);
        label->setObjectName(QStringLiteral("caption"));
        label->setGeometry(0, 0, 200, 50);
        label->installEventFilter(this);
        auto* box = new QCheckBox(window);
        box->setObjectName(QStringLiteral("check"));
        box->move(0, 60);
        return window;
    }
    void Form_Load() override {
        loadSawLoaded = isLoaded();
        log_->push_back(QStringLiteral("load"));
    }
    void Form_Unload() override { log_->push_back(QStringLiteral("unload")); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress &&
            watched->objectName() == QStringLiteral("caption")) {
            unload();
            return true;
        }
        return platform::Form::eventFilter(watched, event);
    }

private:
    std::vector<QString>* log_;
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
    std::vector<QString> log;
    ProbeForm form{&log};
    int ends = 0;
};

TEST_F(FormRuntimeTest, LoadAndUnloadAreIdempotent) {
    form.unload(); // unloading an unloaded window does nothing
    EXPECT_TRUE(log.empty());
    form.load();
    QWidget* first = form.loadedWindow();
    form.load(); // loading a loaded window does nothing
    EXPECT_EQ(form.loadedWindow(), first);
    form.unload();
    form.unload();
    EXPECT_EQ(log, (std::vector<QString>{QStringLiteral("load"), QStringLiteral("unload")}));
    EXPECT_FALSE(form.isLoaded());
}

TEST_F(FormRuntimeTest, LoadHandlerRunsAfterTheWindowCountsAsLoaded) {
    form.load();
    EXPECT_TRUE(form.loadSawLoaded);
    EXPECT_EQ(form.loadedWindow()->objectName(), QStringLiteral("Probe"));
    EXPECT_FALSE(form.loadedWindow()->isVisible()); // created hidden
}

TEST_F(FormRuntimeTest, VariablesSurviveAnUnloadWhileControlsReturnToTheirDesign) {
    form.counter = 7;
    form.control<QLabel>(QStringLiteral("caption"))->setText(QStringLiteral("changed"));
    form.control<QCheckBox>(QStringLiteral("check"))->setChecked(true);
    form.unload();
    EXPECT_EQ(form.counter, 7);
    EXPECT_EQ(form.control<QLabel>(QStringLiteral("caption"))->text(), QStringLiteral("design"));
    EXPECT_FALSE(form.control<QCheckBox>(QStringLiteral("check"))->isChecked());
}

TEST_F(FormRuntimeTest, ReachingAControlLoadsTheWindow) {
    ASSERT_FALSE(form.isLoaded());
    ASSERT_NE(form.control<QLabel>(QStringLiteral("caption")), nullptr);
    EXPECT_TRUE(form.isLoaded());
    EXPECT_EQ(log, std::vector<QString>{QStringLiteral("load")});
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
    std::vector<QString> ownerLog;
    ProbeForm owner(&ownerLog);
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
    EXPECT_EQ(log, std::vector<QString>{QStringLiteral("load")});
}

TEST_F(FormRuntimeTest, TitleBarCloseUnloadsByDefault) {
    form.show();
    form.loadedWindow()->close();
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(log.back(), QStringLiteral("unload"));
}

} // namespace
