#include "platform/widgets/pressed_look_pair.h"

namespace platform {

PressedLookPair::PressedLookPair(QWidget* normal, QPoint normalAt, QWidget* pressed,
                                 QPoint pressedAt, QWidget* parent)
    : ClickableLabel(parent), normal_(normal), pressed_(pressed) {
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

void PressedLookPair::showPressedLook(bool pressed) {
    normal_->setVisible(!pressed);
    pressed_->setVisible(pressed);
}

} // namespace platform
