#include "forms/main/form1.h"

#include "core/text_stats.h"
#include "forms/compact/default_positions.h"
#include "forms/compact/watch_loop.h"
#include "forms/main/difference.h"
#include "forms/main/form1_design.h"
#include "platform/controls.h"
#include "platform/keep_on_top.h"
#include "platform/palette.h"
#include "platform/pressed_look_pair.h"
#include "platform/program_end.h"
#include "platform/text_box.h"
#include "storage/text_file.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

Form1::Form1() : platform::Form(QStringLiteral("Form1")) {}

Form1::~Form1() {
    discardWindow();
}

QWidget* Form1::createWindow() {
    QWidget* window = buildForm1Design();
    platform::markStaysOnTop(window);
    wireControls(window);
    return window;
}

void Form1::wireControls(QWidget* window) {
    auto* text1 = window->findChild<platform::TextBox*>(QStringLiteral("Text1"));
    auto* text2 = window->findChild<platform::TextBox*>(QStringLiteral("Text2"));
    connect(text1, &platform::TextBox::changed, this, &Form1::Text1_Change);
    connect(text2, &platform::TextBox::changed, this, &Form1::Text2_Change);
    for (platform::TextBox* box : {text1, text2}) {
        // The box's own pop-up menu replaces Qt's; the mouse-down prepares it.
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->installEventFilter(this);
    }

    for (const Box box : {Box::First, Box::Second}) {
        const QString s = suffix(box);
        QMenu* boxMenu = window->findChild<QMenu*>(box == Box::First ? QStringLiteral("m0")
                                                                     : QStringLiteral("m1"));
        const auto item = [&](const char* name) {
            return boxMenu->findChild<QAction*>(QString::fromLatin1(name) + s);
        };
        connect(item("mAnn"), &QAction::triggered, this, [this, box] { undoClicked(box); });
        connect(item("mCut"), &QAction::triggered, this, [this, box] { cutClicked(box); });
        connect(item("mCopy"), &QAction::triggered, this, [this, box] { copyClicked(box); });
        connect(item("mInc"), &QAction::triggered, this, [this, box] { pasteClicked(box); });
        connect(item("mDel"), &QAction::triggered, this, [this, box] { deleteClicked(box); });
        connect(item("mSelT"), &QAction::triggered, this, [this, box] { selectAllClicked(box); });
    }

    const auto pair = [window](const char* name) {
        return window->findChild<platform::PressedLookPair*>(QString::fromLatin1(name));
    };
    connect(pair("abPair"), &platform::PressedLookPair::pressed, this, &Form1::ab1_MouseDown);
    connect(pair("abPair"), &platform::PressedLookPair::released, this, &Form1::ab1_MouseUp);
    connect(pair("escPair"), &platform::PressedLookPair::pressed, this, &Form1::esc1_MouseDown);
    connect(pair("escPair"), &platform::PressedLookPair::released, this, &Form1::esc1_MouseUp);
    connect(pair("imTBLPair"), &platform::PressedLookPair::pressed, this, &Form1::imTBL1_MouseDown);
    connect(pair("imTBLPair"), &platform::PressedLookPair::released, this, &Form1::imTBL1_MouseUp);
    connect(pair("backPair"), &platform::PressedLookPair::pressed, this, &Form1::back1_MouseDown);
    connect(pair("backPair"), &platform::PressedLookPair::released, this, &Form1::back1_MouseUp);

    window->findChild<QLabel*>(QStringLiteral("url"))->installEventFilter(this);
    wireTable(window);
}

// ---- load and unload ----

void Form1::Form_Load() {
    const storage::PositionFile positions = readPositions();
    const std::array<int, 6> defaults = defaultPositionsTwips();
    window()->move(
        framePixels(positions.twips(storage::MainLeft).value_or(defaults[storage::MainLeft]),
                    positions.twips(storage::MainTop).value_or(defaults[storage::MainTop])));

    const storage::TextLines texts = readTexts();
    const QString OrigText = texts.orig.value_or(QString());
    const QString TransText = texts.trans.value_or(QString());

    // A load starts without table mode and without an undo snapshot.
    TableOn = 0;
    UndoText.reset();
    UndoCaret.reset();
    PasteText.clear();

    // Each assignment raises the box's change, which recounts it. An empty text equals the
    // new box's and raises none, so that box is recounted here.
    textBox(Box::First)->setBoxText(OrigText);
    if (textBox(Box::First)->text().isEmpty()) {
        FliP();
    }
    textBox(Box::Second)->setBoxText(TransText);
    if (textBox(Box::Second)->text().isEmpty()) {
        FliP2();
    }
    if (LenText1 - LenText2 < 0) {
        platform::setCaptionColour(control<QLabel>(QStringLiteral("differ")), palette::kRed);
        setVisible(QStringLiteral("labpiù"), true);
    } else {
        setVisible(QStringLiteral("labpiù"), false);
    }

    window()->show();
    if (fastCounter_ != nullptr) {
        fastCounter_->show(this);
    }
    setVisible(QStringLiteral("ab2"), false);
    setVisible(QStringLiteral("esc2"), false);
    setVisible(QStringLiteral("imTBL2"), false);
    mioloop();
}

void Form1::Form_Unload() {
    savePosition(storage::MainLeft, window()->pos());
    storage::writeTextFile(textFilePath(), textBox(Box::First)->text(),
                           textBox(Box::Second)->text());
}

void Form1::closeRequested() {
    // Closing the main window saves it and the Fast Counter, then ends the program.
    unload();
    if (fastCounter_ != nullptr) {
        fastCounter_->unload();
    }
    platform::endProgram();
}

void Form1::mioloop() {
    if (watchLoop_ != nullptr) {
        watchLoop_->start(this);
    }
}

// ---- counters ----

void Form1::Text1_Change() {
    FliP();
}

void Form1::Text2_Change() {
    FliP2();
}

void Form1::FliP() {
    recount(Box::First);
}

void Form1::FliP2() {
    recount(Box::Second);
}

void Form1::recount(Box box) {
    LenText1 = static_cast<std::int16_t>(textBox(Box::First)->text().size());
    LenText2 = static_cast<std::int16_t>(textBox(Box::Second)->text().size());
    showDifference();

    const QString s =
        suffix(box) == QStringLiteral("2") ? QStringLiteral("2") : QStringLiteral("1");
    const QString current = textBox(box)->text();
    const std::u16string_view view = platform::utf16View(current);
    const int length = box == Box::First ? LenText1 : LenText2;
    control<QLabel>(QStringLiteral("car") + s)->setText(QString::number(length));
    control<QLabel>(QStringLiteral("spa") + s)
        ->setText(QString::number(Module1::CountSpaces(view)));
    control<QLabel>(QStringLiteral("par") + s)->setText(QString::number(Module1::CountWords(view)));
    control<QLabel>(QStringLiteral("fra") + s)
        ->setText(QString::number(Module1::CountSentences(view)));
}

void Form1::showDifference() {
    const DifferenceLook look = differenceLook(LenText1, LenText2);
    auto* differ = control<QLabel>(QStringLiteral("differ"));
    differ->setText(look.caption);
    platform::setCaptionColour(differ, look.colour);
    setVisible(QStringLiteral("labpiù"), look.plusShown);
}

// ---- helpers ----

platform::TextBox* Form1::textBox(Box box) {
    return control<platform::TextBox>(box == Box::First ? QStringLiteral("Text1")
                                                        : QStringLiteral("Text2"));
}

QMenu* Form1::menu(Box box) {
    return control<QMenu>(box == Box::First ? QStringLiteral("m0") : QStringLiteral("m1"));
}

QString Form1::suffix(Box box) const {
    return box == Box::First ? QString() : QStringLiteral("2");
}

void Form1::setVisible(const QString& name, bool visible) {
    if (auto* widget = control<QWidget>(name)) {
        widget->setVisible(visible);
    }
}
