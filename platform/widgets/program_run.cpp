#include "platform/widgets/program_run.h"

#include <QApplication>
#include <QWidget>

namespace platform {

ProgramRun::ProgramRun(std::function<void()> leaveEventLoop)
    : leaveEventLoop_(std::move(leaveEventLoop)) {}

void ProgramRun::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->hide();
    }
    if (leaveEventLoop_) {
        leaveEventLoop_();
    } else {
        QCoreApplication::exit(0);
    }
}

} // namespace platform
