#include "forms/compact/form3.h"

#include "forms/compact/default_positions.h"
#include "forms/compact/mini_caption.h"
#include "forms/compact/watch_loop.h"
#include "platform/controls.h"
#include "platform/keep_on_top.h"
#include "platform/palette.h"
#include "platform/program_end.h"
#include "platform/text_box.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

Form3::Form3() : platform::Form(QStringLiteral("Form3")) {}

Form3::~Form3() {
    discardWindow();
}

QWidget* Form3::createWindow() {
    auto* window = new QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                            Qt::CustomizeWindowHint);
    platform::markStaysOnTop(window);
    platform::setUpWindow(window, QStringLiteral("Mini Counter"), 3345, 870);

    platform::addLabel(window, QStringLiteral("Label1"), QStringLiteral("Originale"), palette::kRed,
                       120, 165, 615, 255);
    platform::TextBox* text1 =
        platform::addTextBox(window, QStringLiteral("Text1"), 840, 120, 2415, 285);
    platform::addLabel(window, QStringLiteral("Label2"), QStringLiteral("Tradotta"), palette::kRed,
                       120, 525, 615, 255);
    platform::TextBox* text2 =
        platform::addTextBox(window, QStringLiteral("Text2"), 840, 480, 2415, 285);
    QWidget::setTabOrder(text1, text2);

    for (platform::TextBox* box : {text1, text2}) {
        // Tool tips follow every movement over a box, buttons pressed or not.
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }
    connect(text1, &platform::TextBox::changed, this, &Form3::Text1_Change);
    connect(text2, &platform::TextBox::changed, this, &Form3::Text2_Change);
    return window;
}

platform::TextBox* Form3::box(const char* name) const {
    const QWidget* window = loadedWindow();
    return window != nullptr ? window->findChild<platform::TextBox*>(QLatin1String(name)) : nullptr;
}

void Form3::Form_Load() {
    QWidget* window = loadedWindow();
    const storage::PositionFile positions = readPositions();
    const std::optional<int> left = positions.twips(storage::MiniLeft);
    const std::optional<int> top = positions.twips(storage::MiniTop);
    const QPoint stored = framePixels(left.value_or(0), top.value_or(0));
    if (left && top) {
        window->move(stored);
    }

    const storage::TextLines texts = readTexts();
    // Line breaks are taken out: the boxes hold one line each.
    box("Text1")->setBoxText(texts.orig.value_or(QString()));
    box("Text2")->setBoxText(texts.trans.value_or(QString()));

    show();
    if (left.has_value() != top.has_value()) {
        // A coordinate that cannot be read stays where the window system put the window.
        const QPoint placed = window->pos();
        window->move(left ? stored.x() : placed.x(), top ? stored.y() : placed.y());
    }
    if (fastCounter_ != nullptr) {
        fastCounter_->show(this);
    }
    startloop();
}

void Form3::Form_Unload() {
    const QWidget* window = loadedWindow();
    if (window == nullptr) {
        return;
    }
    savePosition(storage::MiniLeft, window->pos());
    storage::writeTextFile(textFilePath(), box("Text1")->text(), box("Text2")->text());
}

void Form3::closeRequested() {
    unload();
    if (fastCounter_ != nullptr) {
        fastCounter_->unload();
    }
    platform::endProgram();
}

void Form3::startloop() {
    if (watchLoop_ != nullptr) {
        watchLoop_->start(this);
    }
}

void Form3::Text1_Change() {
    applyChangeRule();
}

void Form3::Text2_Change() {
    applyChangeRule();
}

void Form3::applyChangeRule() {
    const platform::TextBox* text1 = box("Text1");
    platform::TextBox* text2 = box("Text2");
    if (text1 == nullptr || text2 == nullptr) {
        return;
    }
    const auto len1 = static_cast<std::int32_t>(text1->text().size());
    const auto len2 = static_cast<std::int32_t>(text2->text().size());
    const MiniLook look = miniLook(len1, len2);
    platform::setTextColour(text2, look.translationColour);
    LenDiff = len2 - len1;
    loadedWindow()->setWindowTitle(look.caption);
}

void Form3::Text1_MouseMove() {
    if (platform::TextBox* text1 = box("Text1")) {
        text1->setToolTip(countsToolTip(text1->text()));
    }
}

void Form3::Text2_MouseMove() {
    if (platform::TextBox* text2 = box("Text2")) {
        text2->setToolTip(countsToolTip(text2->text()));
    }
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && qobject_cast<QLineEdit*>(watched) != nullptr) {
        if (watched->objectName() == QLatin1String("Text1")) {
            Text1_MouseMove();
        } else if (watched->objectName() == QLatin1String("Text2")) {
            Text2_MouseMove();
        }
    }
    return platform::Form::eventFilter(watched, event);
}
