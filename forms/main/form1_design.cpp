#include "forms/main/form1_design.h"

#include "platform/controls.h"
#include "platform/palette.h"
#include "platform/picture.h"
#include "platform/pressed_look_pair.h"
#include "platform/text_box.h"
#include "platform/twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>

const char* const kHomePage = TAVREL_HOME_PAGE;

namespace {

using platform::addLabel;
using platform::rectFromTwips;
namespace pal = palette;

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// One text block: title, character count, box, words, spaces and sentences.
struct BlockNames {
    const char* frame;
    const char* title;
    const char* titleCaption;
    int titleWidth;
    const char* charsLabel;
    const char* chars;
    const char* box;
    const char* wordsLabel;
    const char* words;
    int wordsWidth;
    const char* spacesLabel;
    const char* spaces;
    int spacesWidth;
    const char* sentencesLabel;
    const char* sentences;
};

void addTextBlock(QWidget* parent, int top, const BlockNames& n) {
    QFrame* frame = platform::addFrame(parent, text(n.frame), 120, top, 3735, 1215);
    addLabel(frame, text(n.title), text(n.titleCaption), pal::kRed, 120, 240, n.titleWidth, 255);
    addLabel(frame, text(n.charsLabel), text("Caratteri usati:"), pal::kGold, 1920, 240, 1095, 255);
    addLabel(frame, text(n.chars), text("0"), pal::kLightBlue, 3000, 240, 615, 255);
    platform::addTextBox(frame, text(n.box), 120, 480, 3495, 285);
    addLabel(frame, text(n.wordsLabel), text("Parole:"), pal::kGold, 120, 840, 495, 255);
    addLabel(frame, text(n.words), text("0"), pal::kLightBlue, 720, 840, n.wordsWidth, 255);
    addLabel(frame, text(n.spacesLabel), text("Spazi:"), pal::kGold, 1440, 840, 495, 255);
    addLabel(frame, text(n.spaces), text("0"), pal::kLightBlue, 1920, 840, n.spacesWidth, 255);
    addLabel(frame, text(n.sentencesLabel), text(" Frasi:"), pal::kGold, 2520, 840, 495, 255);
    addLabel(frame, text(n.sentences), text("0"), pal::kLightBlue, 3000, 840, 615, 255);
}

// A picture button: the normal and the pressed look of one bar in one container.
platform::PressedLookPair* addButton(QWidget* parent, const char* pairName, const char* normal,
                                     const char* pressed, const char* letters, int left, int top,
                                     int width, int height, int pressedOffsetTwips = 0) {
    const QRect area = rectFromTwips(left, top, width, height);
    auto* normalLook = new platform::ButtonLook(text(letters), false);
    normalLook->setObjectName(text(normal));
    normalLook->resize(area.size());
    auto* pressedLook = new platform::ButtonLook(text(letters), true);
    pressedLook->setObjectName(text(pressed));
    pressedLook->resize(area.size());
    const QPoint pressedAt(platform::pixelsFromTwipsX(pressedOffsetTwips), 0);
    auto* pair =
        new platform::PressedLookPair(normalLook, QPoint(0, 0), pressedLook, pressedAt, parent);
    pair->setObjectName(text(pairName));
    pair->move(area.topLeft());
    return pair;
}

QMenu* addMenu(QWidget* window, const char* name, const char* title,
               std::initializer_list<std::pair<const char*, const char*>> items) {
    auto* menu = new QMenu(text(title), window);
    menu->setObjectName(text(name));
    for (const auto& [itemName, caption] : items) {
        QAction* action =
            caption == nullptr ? menu->addSeparator() : menu->addAction(text(caption));
        action->setObjectName(text(itemName));
    }
    return menu;
}

void addAboutFace(QWidget* window) {
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
    QLabel* url = addLabel(window, text("url"), text(kHomePage), pal::kGold, 1920, 3240, 2055, 255);
    url->setCursor(Qt::PointingHandCursor);
    addButton(window, "backPair", "back1", "back2", "INDIETRO", 1065, 3720, 2100, 525, 15);
}

void addWorkingFace(QWidget* window) {
    QFrame* frame1 = platform::addFrame(window, text("Frame1"), 120, 600, 3960, 5175);
    frame1->setStyleSheet(QString()); // the working face itself draws no line

    addTextBlock(frame1, 120,
                 {"Frame3", "Label1", "Testo da tradurre", 1215, "Label4", "car1", "Text1",
                  "Label7", "par1", 615, "Label9", "spa1", 495, "Label14", "fra1"});
    addTextBlock(frame1, 1320,
                 {"Frame4", "Label2", "Testo da sostituire", 1335, "Label5", "car2", "Text2",
                  "Label10", "par2", 495, "Label11", "spa2", 615, "Label12", "fra2"});

    QFrame* frame2 = platform::addFrame(frame1, text("Frame2"), 840, 2520, 2295, 615);
    addLabel(frame2, text("Label3"), text("Differenza:"), pal::kRed, 240, 240, 855, 255);
    addLabel(frame2, text("labpiù"), text("+"), pal::kRed, 1080, 240, 135, 255);
    addLabel(frame2, text("differ"), text("0"), pal::kYellow, 1200, 240, 975, 255);

    QFrame* frame5 = platform::addFrame(frame1, text("Frame5"), 120, 3128, 3735, 1080);
    platform::addCheckBox(frame5, text("Check1"), text("Utilizzare il file TBL"), pal::kRed, 120,
                          240, 1695, 255);
    addLabel(frame5, text("nTBL"), text("Nome del file TBL"), pal::kLightBlue, 2040, 240, 1575,
             255);
    addButton(frame5, "imTBLPair", "imTBL1", "imTBL2", "CARICA TABLE {TBL}", 240, 600, 3300, 330);

    addButton(frame1, "abPair", "ab1", "ab2", "ABOUT", 120, 4440, 1575, 525);
    addButton(frame1, "escPair", "esc1", "esc2", "ESCI", 2280, 4440, 1575, 525);
}

} // namespace

QWidget* buildForm1Design() {
    auto* window =
        new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                                 Qt::CustomizeWindowHint);
    platform::setUpWindow(window, QStringLiteral("Tavrel Counter"), 4230, 5910);

    // The about face lies on the window, underneath the working face.
    addAboutFace(window);
    addWorkingFace(window);

    addMenu(window, "m0", "menù Text1",
            {{"mAnn", "&Annulla"},
             {"mnullo1", nullptr},
             {"mCut", "&Taglia"},
             {"mCopy", "&Copia"},
             {"mInc", "&Incolla"},
             {"mDel", "&Elimina"},
             {"mnullo2", nullptr},
             {"mSelT", "Sele&ziona tutto"}});
    addMenu(window, "m1", "menù Text2",
            {{"mAnn2", "&Annulla"},
             {"mNullo3", nullptr},
             {"mCut2", "&Taglia"},
             {"mCopy2", "&Copia"},
             {"mInc2", "&Incolla"},
             {"mDel2", "&Elimina"},
             {"mNullo4", nullptr},
             {"mSelT2", "Sele&ziona tutto"}});

    auto* text1 = window->findChild<QWidget*>(QStringLiteral("Text1"));
    auto* text2 = window->findChild<QWidget*>(QStringLiteral("Text2"));
    auto* check1 = window->findChild<QWidget*>(QStringLiteral("Check1"));
    QWidget::setTabOrder(text2, check1);
    QWidget::setTabOrder(check1, text1);
    text2->setFocus();
    return window;
}
