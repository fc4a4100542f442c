#include "platform/widgets/on_screen.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

constexpr int kLongestWaitMs = 250;

// Watches one window for its first expose; lives as the window's child, so it goes with it.
class ExposeWatcher final : public QObject {
public:
    ExposeWatcher(QWidget* window, std::function<void()> action)
        : QObject(window), handle_(window->windowHandle()), action_(std::move(action)) {
        handle_->installEventFilter(this);
        QTimer::singleShot(kLongestWaitMs, this, &ExposeWatcher::fire);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && handle_->isExposed()) { // a filter of handle_ only
            // From the event loop, after the expose has been painted.
            QTimer::singleShot(0, this, &ExposeWatcher::fire);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void fire() {
        if (done_) {
            return;
        }
        done_ = true;
        if (handle_ != nullptr) { // the native window may have gone before the widget
            handle_->removeEventFilter(this);
        }
        deleteLater();
        action_();
    }

    QPointer<QWindow> handle_;
    std::function<void()> action_;
    bool done_ = false;
};

} // namespace

void whenOnScreen(QWidget* window, std::function<void()> action) {
    if (window == nullptr || !window->isVisible() || window->windowHandle() == nullptr ||
        window->windowHandle()->isExposed()) {
        action();
        return;
    }
    new ExposeWatcher(window, std::move(action));
}

} // namespace platform
