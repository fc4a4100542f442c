#include "forms/compact/form2.h"

#include "forms/compact/default_positions.h"
#include "platform/controls.h"
#include "platform/keep_on_top.h"
#include "platform/palette.h"
#include "platform/program_end.h"
#include "platform/twips.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <functional>
#include <utility>

namespace {

// The label behind the three captions. A plain QLabel ignores presses and passes them to its
// parent; this one takes every press on the window's margin. Presses on the captions go to
// the window, which ignores them, never to this sibling.
class PressSurface final : public QLabel {
public:
    PressSurface(QWidget* parent, std::function<void(Qt::MouseButton)> onPress)
        : QLabel(parent), onPress_(std::move(onPress)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        onPress_(event->button());
    }

private:
    std::function<void(Qt::MouseButton)> onPress_;
};

QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->addAction(action);
    return action;
}

} // namespace

Form2::Form2() : platform::Form(QStringLiteral("Form2")) {}

Form2::~Form2() {
    discardWindow();
}

void Form2::setWindows(platform::Form* main, platform::Form* mini, platform::Form* background) {
    main_ = main;
    mini_ = mini;
    background_ = background;
}

QWidget* Form2::createWindow() {
    auto* window = new QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                            Qt::CustomizeWindowHint);
    platform::markStaysOnTop(window);
    platform::setUpWindow(window, QStringLiteral("Fast Counter"), 1140, 915);
    window->move(platform::pointFromTwips(2550, 3510));

    // Created first, so that it lies below the captions.
    auto* surface =
        new PressSurface(window, [this](Qt::MouseButton button) { Label2_MouseDown(button); });
    surface->setObjectName(QStringLiteral("Label2"));
    surface->setAutoFillBackground(false);
    surface->setGeometry(platform::rectFromTwips(0, 0, 1215, 975));

    platform::addLabel(window, QStringLiteral("Label1"), QStringLiteral("Hai copiato"),
                       palette::kRed, 120, 120, 855, 255);
    platform::addLabel(window, QStringLiteral("cont"), QStringLiteral("0"), palette::kGold, 120,
                       360, 975, 255);
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

void Form2::Form_Load() {
    const storage::PositionFile positions = readPositions();
    const std::array<int, storage::positionLineCount> defaults = defaultPositionsTwips();
    const int left = positions.twips(storage::FastLeft).value_or(defaults[storage::FastLeft]);
    const int top = positions.twips(storage::FastTop).value_or(defaults[storage::FastTop]);
    loadedWindow()->move(framePixels(left, top));
    stepCycle();
}

void Form2::stepCycle() {
    auto unloadHost = [](platform::Form* host) {
        if (host != nullptr) {
            host->unload();
        }
    };
    auto loadHost = [](platform::Form* host) {
        if (host != nullptr) {
            host->load();
        }
    };
    // The new step is taken once the next host's load has returned.
    switch (CycleStep) {
    case 0:
        unloadHost(background_);
        loadHost(main_);
        CycleStep = 1;
        break;
    case 1:
        unloadHost(main_);
        loadHost(mini_);
        CycleStep = 2;
        break;
    default:
        unloadHost(mini_);
        loadHost(background_);
        CycleStep = 0;
        break;
    }
}

void Form2::Form_Unload() {
    if (const QWidget* window = loadedWindow()) {
        savePosition(storage::FastLeft, window->pos());
    }
}

void Form2::Label2_MouseDown(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        unload();
        load();
        break;
    case Qt::RightButton:
        // Only this window is saved: the others keep what their last unload wrote.
        Form_Unload();
        platform::endProgram();
        break;
    default:
        break;
    }
}

void Form2::showCount(int count) {
    auto* label = control<QLabel>(QStringLiteral("cont"));
    if (label == nullptr) {
        return;
    }
    const QString text = QString::number(count);
    if (label->text() != text) {
        label->setText(text);
    }
}
