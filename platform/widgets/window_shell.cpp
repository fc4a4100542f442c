#include "platform/widgets/window_shell.h"

#include <QCloseEvent>

namespace platform {

WindowShell::WindowShell(Qt::WindowFlags flags) : QWidget(nullptr, flags) {}

void WindowShell::closeEvent(QCloseEvent* event) {
    event->ignore();
    Q_EMIT closeRequested();
}

} // namespace platform
