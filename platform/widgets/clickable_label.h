#pragma once

#include <QLabel>

namespace platform {

// A label that takes the mouse: a press (a double click too) and its release, with the
// button, as signals. A plain QLabel passes presses on to its parent.
class ClickableLabel : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClickableLabel)

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    // A press and a release of the left button, as a click without the mouse.
    void click();

Q_SIGNALS:
    void pressed(Qt::MouseButton button);
    void released(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace platform
