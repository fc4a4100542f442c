#pragma once

#include "platform/widgets/clickable_label.h"

namespace platform {

// A picture button made of two looks in one place: the normal look and the pressed look.
// The container takes the mouse and the looks are plain pictures inside it, because Qt
// never delivers the release to a widget that was hidden during its own press: the
// handlers hide the normal look at the press and every action hangs on the release.
class PressedLookPair final : public ClickableLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PressedLookPair)

public:
    // Takes ownership of both looks and places them at their offsets inside the pair.
    PressedLookPair(QWidget* normal, QPoint normalAt, QWidget* pressed, QPoint pressedAt,
                    QWidget* parent);

    QWidget* normalLook() const { return normal_; }
    QWidget* pressedLook() const { return pressed_; }

    // Shows one look and hides the other.
    void showPressedLook(bool pressed);

private:
    QWidget* normal_;
    QWidget* pressed_;
};

} // namespace platform
