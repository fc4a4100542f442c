// Starts the program: the platform is chosen, the program's windows are made and the main
// window's load begins the first working mode.
#include "forms/modes/program.h"
#include "platform/system/display.h"
#include "platform/system/file_dialog.h"
#include "platform/system/program_folder.h"
#include "platform/widgets/accessibility.h"
#include "platform/widgets/caret_rest.h"
#include "platform/widgets/picture.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    platform::preferX11OverWayland();
    if (const std::optional<QString> reason = platform::displayUnavailableReason()) {
        std::fprintf(stderr, "tavrel-counter: %s\n", qPrintable(*reason));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrel-counter"));
    QApplication::setDesktopFileName(QStringLiteral("example.tavrel.TavrelCounter"));
    QApplication::setWindowIcon(platform::appIcon());
    // Windows are hidden and re-created at every switch of working mode: the program ends
    // only when it decides to.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::installAccessibility();
    const platform::CaretRest caretRest;

    platform::QtFileDialog tableDialog;
    Program program(platform::programFolder(), tableDialog);
    program.start();
    return QApplication::exec();
}
