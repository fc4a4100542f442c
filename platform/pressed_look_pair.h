#pragma once

#include <QWidget>

namespace platform {

// A picture button made of two looks in one place: the normal look and the pressed look.
// The container takes the mouse and the looks are plain pictures inside it, because Qt
// never delivers the release to a widget that was hidden during its own press: the
// handlers hide the normal look at the press and every action hangs on the release.
class PressedLookPair final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PressedLookPair)

public:
    // Takes ownership of both looks and places them at their offsets inside the pair.
    PressedLookPair(QWidget* normal, QPoint normalAt, QWidget* pressed, QPoint pressedAt,
                    QWidget* parent);

    QWidget* normalLook() const { return normal_; }
    QWidget* pressedLook() const { return pressed_; }

Q_SIGNALS:
    void pressed(Qt::MouseButton button);
    void released(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QWidget* normal_;
    QWidget* pressed_;
};

} // namespace platform
