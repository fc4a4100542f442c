#include "forms/compact/form4.h"

#include "forms/compact/watch_loop.h"
#include "platform/keep_on_top.h"
#include "platform/twips.h"

#include <QWidget>

Form4::Form4() : platform::Form(QStringLiteral("Form4")) {}

Form4::~Form4() {
    discardWindow();
}

QWidget* Form4::createWindow() {
    auto* window = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool);
    platform::markStaysOnTop(window);
    window->setWindowTitle(QStringLiteral("Form4"));
    window->setGeometry(platform::rectFromTwips(0, 0, 435, 390));
    window->setFixedSize(window->size());
    return window;
}

void Form4::Form_Load() {
    // Never shown itself: the Fast Counter is the only window of Fast mode.
    if (fastCounter_ != nullptr) {
        fastCounter_->show(this);
    }
    ciccioloop();
}

void Form4::ciccioloop() {
    if (watchLoop_ != nullptr) {
        watchLoop_->start(this);
    }
}
