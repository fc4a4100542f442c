#include "forms/compact/mini_counter_window.h"

#include "forms/compact/mini_look.h"
#include "forms/design_names.h"
#include "platform/system/keep_on_top.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/palette.h"
#include "platform/widgets/text_box.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/window_shell.h"
#include "storage/state_files.h"

#include <QLabel>

MiniCounterWindow::MiniCounterWindow(platform::ProgramRun& run, storage::StateFiles& files)
    : platform::ManagedWindow(QString::fromUtf8(names::kMiniCounter), run), files_(files) {}

MiniCounterWindow::~MiniCounterWindow() {
    discardWindow();
}

platform::WindowShell* MiniCounterWindow::createWindow() {
    auto* window = new platform::WindowShell(Qt::Tool | Qt::WindowTitleHint |
                                             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    platform::markStaysOnTop(window);
    platform::setUpWindow(window, QStringLiteral("Mini Counter"), 3345, 870);

    QLabel* original =
        platform::addLabel(window, QStringLiteral("Label1"), QStringLiteral("Originale"),
                           palette::kRed, 120, 165, 615, 255);
    PerBox<platform::TextBox*>& boxes = ui_.boxes;
    boxes[Box::Original] = platform::addTextBox(
        window, QString::fromUtf8(names::kBox[Box::Original]), 840, 120, 2415, 285);
    QLabel* translation =
        platform::addLabel(window, QStringLiteral("Label2"), QStringLiteral("Tradotta"),
                           palette::kRed, 120, 525, 615, 255);
    boxes[Box::Translation] = platform::addTextBox(
        window, QString::fromUtf8(names::kBox[Box::Translation]), 840, 480, 2415, 285);
    // The captions name the boxes for assistive technology.
    original->setBuddy(boxes[Box::Original]);
    translation->setBuddy(boxes[Box::Translation]);
    QWidget::setTabOrder(boxes[Box::Original], boxes[Box::Translation]);

    for (platform::TextBox* box : boxes.items) {
        // Tool tips follow every movement over a box, buttons pressed or not (a line edit
        // tracks the mouse of its own accord).
        connect(box, &platform::TextBox::mouseMoved, this, [this, box] { showCountsToolTip(box); });
        connect(box, &platform::TextBox::changed, this, &MiniCounterWindow::showDifference);
    }
    return window;
}

void MiniCounterWindow::onLoad() {
    const storage::PositionFile positions = files_.readPositions();
    const std::optional<int> left = positions.twips(storage::MiniLeft);
    const std::optional<int> top = positions.twips(storage::MiniTop);
    const QPoint stored = platform::pointFromTwips(left.value_or(0), top.value_or(0));
    if (left && top) {
        loadedWindow()->move(stored);
    }

    const storage::TextLines texts = files_.readTexts();
    // Line breaks are taken out: the boxes hold one line each.
    ui_.boxes[Box::Original]->setBoxText(texts.orig.value_or(QString()));
    ui_.boxes[Box::Translation]->setBoxText(texts.trans.value_or(QString()));

    show();
    if (left.has_value() != top.has_value()) {
        // A coordinate that cannot be read stays where the window system put the window.
        const QPoint placed = loadedWindow()->pos();
        loadedWindow()->move(left ? stored.x() : placed.x(), top ? stored.y() : placed.y());
    }
}

void MiniCounterWindow::onUnload() {
    const QPoint at = platform::twipsFromPixels(loadedWindow()->pos());
    files_.savePosition(storage::MiniLeft, at.x(), at.y());
    files_.saveTexts(ui_.boxes[Box::Original]->text(), ui_.boxes[Box::Translation]->text());
}

void MiniCounterWindow::showDifference() {
    const auto original = static_cast<std::int32_t>(ui_.boxes[Box::Original]->text().size());
    const auto translation = static_cast<std::int32_t>(ui_.boxes[Box::Translation]->text().size());
    const MiniLook look = miniLook(original, translation);
    platform::setTextColour(ui_.boxes[Box::Translation], look.translationColour);
    lengthDifference_ = translation - original;
    loadedWindow()->setWindowTitle(look.caption);
}

void MiniCounterWindow::showCountsToolTip(platform::TextBox* box) {
    box->setToolTip(countsToolTip(box->text()));
}
