#include "forms/main/main_window.h"

#include "core/text_stats.h"
#include "forms/design_names.h"
#include "forms/main/difference.h"
#include "platform/system/keep_on_top.h"
#include "platform/widgets/clickable_label.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/pressed_look_pair.h"
#include "platform/widgets/text_box.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/window_shell.h"
#include "storage/state_files.h"
#include "storage/text_encoding.h"

#include <QLabel>

namespace {

// A value label of the difference frame shows its whole caption, however wide it grows.
void showWhole(QLabel* label, const QString& caption) {
    label->setText(caption);
    label->resize(label->fontMetrics().horizontalAdvance(caption) + 1, label->height());
}

} // namespace

MainWindow::MainWindow(platform::ProgramRun& run, storage::StateFiles& files, CharTable& table,
                       platform::FileDialog& tableDialog)
    : platform::ManagedWindow(QString::fromUtf8(names::kMainWindow), run), files_(files),
      table_(table), tableDialog_(tableDialog) {}

MainWindow::~MainWindow() {
    discardWindow();
}

platform::WindowShell* MainWindow::createWindow() {
    ui_ = buildMainWindowDesign();
    platform::markStaysOnTop(ui_.window);
    wireControls();
    return ui_.window;
}

void MainWindow::wireControls() {
    for (const Box box : kBoxes) {
        TextBlockControls& block = ui_.block(box);
        connect(block.box, &platform::TextBox::changed, this, [this, box] { recount(box); });
        // The box's own pop-up menu replaces Qt's; every press prepares it.
        block.box->setContextMenuPolicy(Qt::NoContextMenu);
        connect(block.box, &platform::TextBox::mousePressed, this,
                [this, box](Qt::MouseButton button, QPoint at) { prepareMenu(box, button, at); });
        connect(block.undo, &QAction::triggered, this, [this, box] { undo(box); });
        connect(block.cut, &QAction::triggered, this, [this, box] { cut(box); });
        connect(block.copy, &QAction::triggered, this, [this, box] { copy(box); });
        connect(block.paste, &QAction::triggered, this, [this, box] { paste(box); });
        connect(block.remove, &QAction::triggered, this, [this, box] { deleteSelection(box); });
        connect(block.selectAll, &QAction::triggered, this, [this, box] { selectAll(box); });
    }
    wirePictureButton(ui_.about, &MainWindow::openAboutFace);
    wirePictureButton(ui_.exit, &MainWindow::saveAndExit);
    wirePictureButton(ui_.loadTable, &MainWindow::chooseTable);
    wirePictureButton(ui_.back, &MainWindow::closeAboutFace);
    connect(ui_.homePage, &platform::ClickableLabel::released, this,
            [this](Qt::MouseButton button) {
                if (button == Qt::LeftButton) {
                    copyHomePageAddress();
                }
            });
    wireTable();
}

// ---- load and unload ----

void MainWindow::onLoad() {
    const storage::PositionFile positions = files_.readPositions();
    ui_.window->move(platform::pointFromTwips(
        positions.twips(storage::MainLeft).value_or(files_.defaultTwips(storage::MainLeft)),
        positions.twips(storage::MainTop).value_or(files_.defaultTwips(storage::MainTop))));

    const storage::TextLines texts = files_.readTexts();

    // A load starts without table mode, without an undo snapshot and without a chosen table.
    tableMode_ = false;
    undo_.reset();
    byteMeter_.clear();
    screenMeter_.clear();
    preview_.clear(ui_);

    // Each assignment raises the box's change, which recounts it and shows the difference. An
    // empty text equals the new box's and raises none, so that box is recounted here.
    for (const Box box : kBoxes) {
        platform::TextBox* textBox = ui_.block(box).box;
        textBox->setBoxText((box == Box::Original ? texts.orig : texts.trans).value_or(QString()));
        if (textBox->text().isEmpty()) {
            recount(box);
        }
    }

    ui_.window->show();
    for (platform::PressedLookPair* button : {ui_.about, ui_.exit, ui_.loadTable}) {
        button->pressedLook()->setVisible(false);
    }
}

void MainWindow::onUnload() {
    saveState();
}

void MainWindow::saveState() {
    const QPoint at = platform::twipsFromPixels(ui_.window->pos());
    files_.savePosition(storage::MainLeft, at.x(), at.y());
    files_.saveTexts(ui_.block(Box::Original).box->text(), ui_.block(Box::Translation).box->text());
}

// ---- counters ----

void MainWindow::recount(Box box) {
    lengthOriginal_ = static_cast<int>(ui_.block(Box::Original).box->text().size());
    lengthTranslation_ = static_cast<int>(ui_.block(Box::Translation).box->text().size());
    showDifference();

    const TextBlockControls& block = ui_.block(box);
    const QString current = block.box->text();
    const std::u16string_view view = storage::utf16View(current);
    block.characters->setText(QString::number(current.size()));
    block.spaces->setText(QString::number(textstats::countSpaces(view)));
    block.words->setText(QString::number(textstats::countWords(view)));
    block.sentences->setText(QString::number(textstats::countSentences(view)));
    if (byteMeter_.isLoaded()) {
        byteMeter_.setText(box, current);
        showBytes();
        showCodes();
    }
    if (screenMeter_.isLoaded()) {
        screenMeter_.setText(box, current);
        showScreen();
        showPreview();
    }
}

void MainWindow::showDifference() {
    const DifferenceLook look = differenceLook(lengthOriginal_, lengthTranslation_);
    ui_.difference->setText(look.caption);
    platform::setCaptionColour(ui_.difference, look.colour);
    ui_.plusSign->setVisible(look.plusShown);
}

void MainWindow::showBytes() {
    const bool shown = byteMeter_.isLoaded();
    const int rowTop =
        platform::pixelsFromTwipsY(shown ? kDifferenceRowTopOverBytes : kDifferenceRowTop);
    for (QLabel* label : {ui_.differenceCaption, ui_.plusSign, ui_.difference}) {
        label->move(label->x(), rowTop);
    }
    ui_.bytes->setVisible(shown);
    ui_.byteDifference->setVisible(shown);
    if (!shown) {
        return;
    }
    const ByteMeter::Look look = byteMeter_.look();
    showWhole(ui_.bytes, look.caption);
    ui_.byteDifference->setText(look.difference);
    ui_.byteDifference->move(ui_.bytes->geometry().right() + 5, ui_.byteDifference->y());
    platform::setCaptionColour(ui_.byteDifference, look.colour);
    ui_.bytes->setToolTip(look.toolTip);
    ui_.byteDifference->setToolTip(look.toolTip);
}

void MainWindow::showCodes() {
    if (!byteMeter_.holdsCodes()) {
        return;
    }
    const ByteMeter::CodesLook look = byteMeter_.codesLook();
    showWhole(ui_.codes, look.caption);
    platform::setCaptionColour(ui_.codes, look.colour);
    ui_.codes->setToolTip(look.toolTip);
}

void MainWindow::showScreen() {
    const ScreenMeter::Look look = screenMeter_.look();
    showWhole(ui_.pixels, look.pixels);
    showWhole(ui_.screenLines, look.lines);
    // Three blanks apart, as "Pixel: 150 / 144   Righe: 4 / 3" reads.
    ui_.screenLines->move(ui_.pixels->geometry().right() + 1 +
                              ui_.pixels->fontMetrics().horizontalAdvance(QStringLiteral("   ")),
                          ui_.screenLines->y());
    platform::setCaptionColour(ui_.pixels, look.pixelsColour);
    platform::setCaptionColour(ui_.screenLines, look.linesColour);
    ui_.pixels->setToolTip(look.toolTip);
    ui_.screenLines->setToolTip(look.toolTip);
}

void MainWindow::showPreview() {
    if (preview_.isLoaded()) {
        preview_.show(ui_, screenMeter_.screen(), ui_.block(Box::Translation).box->text(),
                      ui_.block(Box::Original).box->text());
        showDifferenceRows(ui_, true, byteMeter_.holdsCodes());
    }
}
