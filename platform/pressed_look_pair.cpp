#include "platform/pressed_look_pair.h"

#include <QMouseEvent>

namespace platform {

PressedLookPair::PressedLookPair(QWidget* normal, QPoint normalAt, QWidget* pressed,
                                 QPoint pressedAt, QWidget* parent)
    : QWidget(parent), normal_(normal), pressed_(pressed) {
    for (QWidget* look : {normal_, pressed_}) {
        look->setParent(this);
        look->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    normal_->move(normalAt);
    pressed_->move(pressedAt);
    const QRect covered = normal_->geometry().united(pressed_->geometry());
    resize(covered.right() + 1, covered.bottom() + 1);
    setCursor(Qt::PointingHandCursor);
}

void PressedLookPair::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT pressed(event->button());
}

void PressedLookPair::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT released(event->button());
}

void PressedLookPair::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a press like any other; its release follows as usual.
    mousePressEvent(event);
}

} // namespace platform
