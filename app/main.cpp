// Starts the program: the platform is chosen, the four windows are created and handed the
// windows they work with, and the main window's load begins the first working mode.
#include "forms/compact/form2.h"
#include "forms/compact/form3.h"
#include "forms/compact/form4.h"
#include "forms/compact/watch_loop.h"
#include "forms/main/form1.h"
#include "forms/wiring.h"
#include "platform/clipboard.h"
#include "platform/display.h"
#include "platform/open_file_dialog.h"
#include "platform/picture.h"

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

    platform::QtOpenFileDialog tableDialog;
    Form1 main;
    Form2 fastCounter;
    Form3 mini;
    Form4 background;
    platform::ClipboardCounter clipboard;
    WatchLoop loop(clipboard, fastCounter);

    wireWindows(main, fastCounter, mini, background, loop);
    main.setOpenFileDialog(&tableDialog);

    main.load();
    return QApplication::exec();
}
