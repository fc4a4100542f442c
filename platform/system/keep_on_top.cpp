#include "platform/system/keep_on_top.h"

#include <QWidget>

namespace platform {

void markStaysOnTop(QWidget* window) {
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void keepAbove(QWidget* window) {
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        window->raise();
    }
}

} // namespace platform
