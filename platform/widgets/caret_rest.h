#pragma once

#include <QObject>
#include <QTimer>

namespace platform {

// Lets the text caret rest: after `restMs` without input (a key, a press of a mouse button,
// a change of focus) the caret stops blinking and stays shown; the next input makes it blink
// again. While no box that takes text has the focus, nothing waits. A blinking caret wakes the
// program twice a second and repaints its box, which costs more than anything else the program does
// while nobody uses it; text fields of desktop toolkits stop blinking after a few seconds for the
// same reason.
class CaretRest final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CaretRest)

public:
    static constexpr int kRestMs = 5000;

    // Watches the whole application's input; the desktop's blink period is the one restored.
    explicit CaretRest(int restMs = kRestMs, QObject* parent = nullptr);
    ~CaretRest() override;

    bool isResting() const { return resting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rest();

    int blinkPeriodMs_;
    bool resting_ = false;
    QTimer restTimer_;
};

} // namespace platform
