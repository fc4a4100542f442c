#include "forms/main/main_window_design.h"

#include "forms/design_names.h"
#include "platform/widgets/clickable_label.h"
#include "platform/widgets/controls.h"
#include "platform/widgets/palette.h"
#include "platform/widgets/picture.h"
#include "platform/widgets/pressed_look_pair.h"
#include "platform/widgets/text_box.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/window_shell.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>

QString homePageAddress() {
    return QStringLiteral(TAVREL_HOME_PAGE);
}

namespace {

using platform::addLabel;
using platform::rectFromTwips;
namespace pal = palette;

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Where the controls that the screen line moves lie as designed, in twips: left, top, width,
// height, in the working face (the working face itself in the window).
constexpr std::array<int, 4> kWorkingFaceTwips{120, 600, 3960, 5175};
constexpr std::array<int, 4> kDifferenceFrameTwips{840, 2520, 2295, 615};
constexpr std::array<int, 4> kTableFrameTwips{120, 3128, 3735, 1080};
constexpr std::array<int, 4> kAboutTwips{120, 4440, 1575, 525};
constexpr std::array<int, 4> kExitTwips{2280, 4440, 1575, 525};
// Between the buttons and the box preview under them.
constexpr int kPreviewGapTwips = 120;

// `twips` moved down by `down` and made taller by `taller`, in twips.
QRect placed(const std::array<int, 4>& twips, int down = 0, int taller = 0) {
    return rectFromTwips(twips[0], twips[1] + down, twips[2], twips[3] + taller);
}

QFrame* addFrame(QWidget* parent, const char* name, const std::array<int, 4>& twips) {
    return platform::addFrame(parent, text(name), twips[0], twips[1], twips[2], twips[3]);
}

// One text block: title, character count, box, words, spaces and sentences. The names of its
// captions; those of the frame, the box and the counts come from the box.
struct BlockCaptions {
    const char* title;
    const char* titleCaption;
    int titleWidth;
    const char* charsLabel;
    const char* wordsLabel;
    int wordsWidth;
    const char* spacesLabel;
    int spacesWidth;
    const char* sentencesLabel;
};

void addTextBlock(QWidget* parent, int top, Box which, const BlockCaptions& n,
                  TextBlockControls& block) {
    QFrame* frame = platform::addFrame(parent, text(names::kBlock[which]), 120, top, 3735, 1215);
    QLabel* title = addLabel(frame, text(n.title), text(n.titleCaption), pal::kRed, 120, 240,
                             n.titleWidth, 255);
    addLabel(frame, text(n.charsLabel), text("Caratteri usati:"), pal::kGold, 1920, 240, 1095, 255);
    block.characters = addLabel(frame, text(names::kCharacters[which]), text("0"), pal::kLightBlue,
                                3000, 240, 615, 255);
    block.box = platform::addTextBox(frame, text(names::kBox[which]), 120, 480, 3495, 285);
    title->setBuddy(block.box); // the box's name for assistive technology
    addLabel(frame, text(n.wordsLabel), text("Parole:"), pal::kGold, 120, 840, 495, 255);
    block.words = addLabel(frame, text(names::kWords[which]), text("0"), pal::kLightBlue, 720, 840,
                           n.wordsWidth, 255);
    addLabel(frame, text(n.spacesLabel), text("Spazi:"), pal::kGold, 1440, 840, 495, 255);
    block.spaces = addLabel(frame, text(names::kSpaces[which]), text("0"), pal::kLightBlue, 1920,
                            840, n.spacesWidth, 255);
    addLabel(frame, text(n.sentencesLabel), text(" Frasi:"), pal::kGold, 2520, 840, 495, 255);
    block.sentences = addLabel(frame, text(names::kSentences[which]), text("0"), pal::kLightBlue,
                               3000, 840, 615, 255);
}

// A picture button: the normal and the pressed look of one bar in one container.
platform::PressedLookPair* addButton(QWidget* parent, const names::PictureButton& names,
                                     const char* letters, int left, int top, int width, int height,
                                     int pressedOffsetTwips = 0) {
    const QRect area = rectFromTwips(left, top, width, height);
    auto* normalLook = new platform::ButtonLook(text(letters), false);
    normalLook->setObjectName(text(names.normal));
    normalLook->resize(area.size());
    auto* pressedLook = new platform::ButtonLook(text(letters), true);
    pressedLook->setObjectName(text(names.pressed));
    pressedLook->resize(area.size());
    const QPoint pressedAt(platform::pixelsFromTwipsX(pressedOffsetTwips), 0);
    auto* pair =
        new platform::PressedLookPair(normalLook, QPoint(0, 0), pressedLook, pressedAt, parent);
    pair->setObjectName(text(names.pair));
    pair->setAccessibleName(text(letters));
    pair->move(area.topLeft());
    return pair;
}

// The pop-up menu of a box: six commands and two separators, named after the design's.
void addMenu(QWidget* window, Box which, const char* title,
             const std::array<const char*, 2>& separators, TextBlockControls& block) {
    auto* menu = new QMenu(text(title), window);
    menu->setObjectName(text(names::kMenu[which]));
    const auto item = [&](const names::BoxNames& name, const char* caption) {
        QAction* action = menu->addAction(text(caption));
        action->setObjectName(text(name[which]));
        return action;
    };
    block.menu = menu;
    block.undo = item(names::kUndo, "&Annulla");
    menu->addSeparator()->setObjectName(text(separators[0]));
    block.cut = item(names::kCut, "&Taglia");
    block.copy = item(names::kCopy, "&Copia");
    block.paste = item(names::kPaste, "&Incolla");
    block.remove = item(names::kDelete, "&Elimina");
    menu->addSeparator()->setObjectName(text(separators[1]));
    block.selectAll = item(names::kSelectAll, "Sele&ziona tutto");
}

void addAboutFace(QWidget* window, MainWindowControls& ui) {
    auto* banner = new platform::SvgPicture(QStringLiteral(":/assets/banner.svg"), window);
    banner->setObjectName(QStringLiteral("Image3"));
    banner->setGeometry(rectFromTwips(705, 0, 2925, 660));
    auto* portrait = new platform::SvgPicture(QStringLiteral(":/assets/portrait.svg"), window);
    portrait->setObjectName(QStringLiteral("Image1"));
    portrait->setGeometry(rectFromTwips(120, 960, 1605, 2520));

    const QString about =
        text("Programma realizzato da Tavrel. Applicazione pensata per aiutare tutti i "
             "traduttori di rom che contano i caratteri da tradurre e da reinserire negli "
             "editor esadecimali.") +
        QString(10, QLatin1Char(' ')) +
        text("Clicca sull'indirizzo internet per copiarlo negli appunti.");
    QLabel* label8 = addLabel(window, text("Label8"), about, pal::kRed, 1800, 1080, 2175, 1815);
    label8->setWordWrap(true);
    label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label8->setGeometry(rectFromTwips(1800, 1080, 2175, 1815));
    addLabel(window, text("Label6"), text("Home page"), pal::kLightBlue, 2520, 3000, 855, 255);
    ui.homePage = platform::addClickableLabel(window, text(names::kHomePage), homePageAddress(),
                                              pal::kGold, 1920, 3240, 2055, 255);
    ui.homePage->setCursor(Qt::PointingHandCursor);
    ui.back = addButton(window, names::kBack, "INDIETRO", 1065, 3720, 2100, 525, 15);
}

void addWorkingFace(QWidget* window, MainWindowControls& ui) {
    QFrame* frame1 = addFrame(window, names::kWorkingFace, kWorkingFaceTwips);
    ui.workingFace = frame1;
    frame1->setStyleSheet(QString()); // the working face itself draws no line

    addTextBlock(
        frame1, 120, Box::Original,
        {"Label1", "Testo da tradurre", 1215, "Label4", "Label7", 615, "Label9", 495, "Label14"},
        ui.block(Box::Original));
    addTextBlock(frame1, 1320, Box::Translation,
                 {"Label2", "Testo da sostituire", 1335, "Label5", "Label10", 495, "Label11", 615,
                  "Label12"},
                 ui.block(Box::Translation));

    QFrame* frame2 = addFrame(frame1, "Frame2", kDifferenceFrameTwips);
    ui.differenceFrame = frame2;
    ui.differenceCaption = addLabel(frame2, text(names::kDifferenceCaption), text("Differenza:"),
                                    pal::kRed, 240, 240, 855, 255);
    ui.plusSign =
        addLabel(frame2, text(names::kPlusSign), text("+"), pal::kRed, 1080, 240, 135, 255);
    ui.difference =
        addLabel(frame2, text(names::kDifference), text("0"), pal::kYellow, 1200, 240, 975, 255);
    ui.bytes = addLabel(frame2, text(names::kBytes), text("Byte: 0 / 0"), pal::kLightBlue, 240,
                        kByteRowTop, 1335, 255);
    ui.byteDifference = addLabel(frame2, text(names::kByteDifference), text("0"), pal::kYellow,
                                 1560, kByteRowTop, 615, 255);
    ui.pixels = addLabel(frame2, text(names::kPixels), text("Pixel: 0 / 0"), pal::kGreen, 240,
                         kScreenRowTop, 0, 255);
    ui.screenLines = addLabel(frame2, text(names::kScreenLines), text("Righe: 1 / 1"), pal::kGreen,
                              1200, kScreenRowTop, 0, 255);
    ui.codes = addLabel(frame2, text(names::kCodes), text("Codici: ok"), pal::kGreen, 240,
                        kScreenRowTop, 0, 255);
    for (QLabel* label : {ui.bytes, ui.byteDifference, ui.pixels, ui.screenLines, ui.codes}) {
        label->hide();
    }

    QFrame* frame5 = addFrame(frame1, "Frame5", kTableFrameTwips);
    ui.tableFrame = frame5;
    ui.tableCheck =
        platform::addCheckBox(frame5, text(names::kTableCheck), text("Utilizzare il file TBL"),
                              pal::kRed, 120, 240, 1695, 255);
    ui.tableName = addLabel(frame5, text(names::kTableName), text("Nome del file TBL"),
                            pal::kLightBlue, 2040, 240, 1575, 255);
    ui.loadTable = addButton(frame5, names::kLoadTable, "CARICA TABLE {TBL}", 240, 600, 3300, 330);

    ui.about = addButton(frame1, names::kAbout, "ABOUT", kAboutTwips[0], kAboutTwips[1],
                         kAboutTwips[2], kAboutTwips[3]);
    ui.exit = addButton(frame1, names::kExit, "ESCI", kExitTwips[0], kExitTwips[1], kExitTwips[2],
                        kExitTwips[3]);
}

} // namespace

MainWindowControls buildMainWindowDesign() {
    MainWindowControls ui;
    auto* window = new platform::WindowShell(
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
        Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    ui.window = window;
    platform::setUpWindow(window, QStringLiteral("Tavrel Counter"), kMainWindowTwips.width(),
                          kMainWindowTwips.height());

    // The about face lies on the window, underneath the working face.
    addAboutFace(window, ui);
    addWorkingFace(window, ui);

    addMenu(window, Box::Original, "menù Text1", {"mnullo1", "mnullo2"}, ui.block(Box::Original));
    addMenu(window, Box::Translation, "menù Text2", {"mNullo3", "mNullo4"},
            ui.block(Box::Translation));

    // Tab goes Text1, Text2, Check1 and round again: the order the controls were made in.
    ui.block(Box::Translation).box->setFocus();
    return ui;
}

void showDifferenceRows(MainWindowControls& ui, bool screen, bool codes) {
    const int row = ((screen ? 1 : 0) + (codes ? 1 : 0)) * kDifferenceRowPitch;
    ui.pixels->setVisible(screen);
    ui.screenLines->setVisible(screen);
    ui.codes->setVisible(codes);
    ui.codes->move(
        ui.codes->x(),
        platform::pixelsFromTwipsY(screen ? kScreenRowTop + kDifferenceRowPitch : kScreenRowTop));
    ui.differenceFrame->setGeometry(placed(kDifferenceFrameTwips, 0, row));
    ui.tableFrame->setGeometry(placed(kTableFrameTwips, row));
    ui.about->move(placed(kAboutTwips, row).topLeft());
    ui.exit->move(placed(kExitTwips, row).topLeft());
    const int preview = ui.preview != nullptr ? ui.preview->height() : 0;
    if (ui.preview != nullptr) {
        ui.preview->move(placed(kAboutTwips, row + kAboutTwips[3] + kPreviewGapTwips).topLeft());
    }
    ui.workingFace->setGeometry(placed(kWorkingFaceTwips, 0, row).adjusted(0, 0, 0, preview));
    // A fixed size keeps the window's position: only its bottom edge moves.
    ui.window->setFixedSize(platform::pixelsFromTwipsX(kMainWindowTwips.width()),
                            platform::pixelsFromTwipsY(kMainWindowTwips.height() + row) + preview);
}
