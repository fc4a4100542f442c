#include "platform/program_end.h"

#include <QApplication>
#include <QWidget>

namespace platform {
namespace {

bool ended = false;
std::function<void()> endHandler;

} // namespace

void endProgram() {
    if (ended) {
        return;
    }
    ended = true;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->hide();
    }
    if (endHandler) {
        endHandler();
    } else {
        QCoreApplication::exit(0);
    }
}

bool programHasEnded() {
    return ended;
}

void setEndHandlerForTests(std::function<void()> handler) {
    endHandler = std::move(handler);
}

void resetEndForTests() {
    ended = false;
}

} // namespace platform
