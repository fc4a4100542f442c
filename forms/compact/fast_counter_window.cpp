#include "forms/compact/fast_counter_window.h"

#include "forms/design_names.h"
#include "platform/system/keep_on_top.h"
#include "platform/widgets/clickable_label.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/palette.h"
#include "platform/widgets/program_run.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/window_shell.h"
#include "storage/state_files.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->addAction(action);
    return action;
}

} // namespace

FastCounterWindow::FastCounterWindow(platform::ProgramRun& run, storage::StateFiles& files)
    : platform::ManagedWindow(QString::fromUtf8(names::kFastCounter), run), files_(files) {}

FastCounterWindow::~FastCounterWindow() {
    discardWindow();
}

platform::WindowShell* FastCounterWindow::createWindow() {
    auto* window = new platform::WindowShell(Qt::Tool | Qt::WindowTitleHint |
                                             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    platform::markStaysOnTop(window);
    platform::setUpWindow(window, QStringLiteral("Fast Counter"), 1140, 915);

    // Created first, so that it lies below the captions. Presses on the captions go to the
    // window, which ignores them, never to this sibling.
    ui_.margin = new platform::ClickableLabel(window);
    ui_.margin->setObjectName(QString::fromUtf8(names::kMargin));
    ui_.margin->setGeometry(platform::rectFromTwips(0, 0, 1215, 975));
    connect(ui_.margin, &platform::ClickableLabel::pressed, this,
            &FastCounterWindow::onMarginPressed);

    platform::addLabel(window, QStringLiteral("Label1"), QStringLiteral("Hai copiato"),
                       palette::kRed, 120, 120, 855, 255);
    ui_.count = platform::addLabel(window, QString::fromUtf8(names::kCount), QStringLiteral("0"),
                                   palette::kGold, 120, 360, 975, 255);
    platform::addLabel(window, QStringLiteral("Label3"), QStringLiteral("caratteri"), palette::kRed,
                       120, 600, 855, 255);

    // Part of the design, never opened.
    auto* menu = new QMenu(window);
    menu->setObjectName(QStringLiteral("m0"));
    menu->menuAction()->setVisible(false);
    addMenuItem(menu, QStringLiteral("msc"), QStringLiteral("Tavrel Counter"));
    addMenuItem(menu, QStringLiteral("mfc"), QStringLiteral("Fast Counter"));
    addMenuItem(menu, QStringLiteral("mesc"), QStringLiteral("Esci"));
    return window;
}

void FastCounterWindow::onLoad() {
    const storage::PositionFile positions = files_.readPositions();
    loadedWindow()->move(platform::pointFromTwips(
        positions.twips(storage::FastLeft).value_or(files_.defaultTwips(storage::FastLeft)),
        positions.twips(storage::FastTop).value_or(files_.defaultTwips(storage::FastTop))));
}

void FastCounterWindow::onUnload() {
    savePosition();
}

void FastCounterWindow::savePosition() {
    if (isLoaded()) {
        const QPoint at = platform::twipsFromPixels(loadedWindow()->pos());
        files_.savePosition(storage::FastLeft, at.x(), at.y());
    }
}

void FastCounterWindow::onMarginPressed(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        unload();
        load();
        break;
    case Qt::RightButton:
        // Only this window is saved: the others keep what their last unload wrote.
        savePosition();
        run().end();
        break;
    default:
        break;
    }
}

void FastCounterWindow::showCount(int count) {
    if (!isLoaded()) {
        return;
    }
    const QString text = QString::number(count);
    if (ui_.count->text() != text) {
        ui_.count->setText(text);
    }
}
