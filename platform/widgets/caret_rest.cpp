#include "platform/widgets/caret_rest.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace platform {

CaretRest::CaretRest(int restMs, QObject* parent)
    : QObject(parent), blinkPeriodMs_(QApplication::cursorFlashTime()) {
    restTimer_.setSingleShot(true);
    restTimer_.setInterval(restMs);
    connect(&restTimer_, &QTimer::timeout, this, &CaretRest::rest);
    qApp->installEventFilter(this);
}

CaretRest::~CaretRest() {
    qApp->removeEventFilter(this);
    if (resting_) {
        QApplication::setCursorFlashTime(blinkPeriodMs_);
    }
}

bool CaretRest::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (resting_) {
            resting_ = false;
            QApplication::setCursorFlashTime(blinkPeriodMs_);
        }
        // Only a box that takes text shows a caret; elsewhere nothing blinks to rest.
        if (const QWidget* focus = QApplication::focusWidget();
            focus != nullptr && focus->testAttribute(Qt::WA_InputMethodEnabled)) {
            restTimer_.start();
        } else {
            restTimer_.stop();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CaretRest::rest() {
    // A period of 0 shows the caret without blinking.
    resting_ = true;
    QApplication::setCursorFlashTime(0);
}

} // namespace platform
