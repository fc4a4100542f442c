#include "forms/modes/program.h"

#include "forms/main/main_window_design.h"
#include "platform/widgets/on_screen.h"
#include "platform/widgets/twips.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

namespace {

std::array<int, storage::positionLineCount> defaultPositions() {
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screen = primary->availableGeometry();
    }
    return storage::defaultPositionsTwips(kMainWindowTwips, screen, platform::twipsPerPixelX(),
                                          platform::twipsPerPixelY());
}

// What the state files could not read or write goes to stderr: the program shows no messages
// of its own, and a user or a bug report can still see it.
void reportProblem(const QString& problem) {
    qWarning().noquote() << problem;
}

} // namespace

Program::Program(const QString& folder, platform::FileDialog& tableDialog,
                 std::function<void()> leaveEventLoop)
    : run_(std::move(leaveEventLoop)), files_(folder, defaultPositions, reportProblem),
      main_(run_, files_, table_, tableDialog), fast_(run_, files_), mini_(run_, files_),
      fastHost_(run_), loop_(run_, clipboard_, [this](int count) { writeClipboardCount(count); }),
      cycle_(main_, mini_, fastHost_) {
    for (platform::ManagedWindow* host : {static_cast<platform::ManagedWindow*>(&main_),
                                          static_cast<platform::ManagedWindow*>(&mini_),
                                          static_cast<platform::ManagedWindow*>(&fastHost_)}) {
        makeHost(*host);
    }
    // Closing the main window or the Mini Counter from its title bar saves it (its unload has
    // run) and the Fast Counter, then ends the program.
    for (platform::ManagedWindow* host : {static_cast<platform::ManagedWindow*>(&main_),
                                          static_cast<platform::ManagedWindow*>(&mini_)}) {
        QObject::connect(host, &platform::ManagedWindow::closedByUser, host, [this] {
            fast_.unload();
            run_.end();
        });
    }
    // A Fast Counter that the window manager closed comes back at the next pass, a switch.
    QObject::connect(&fast_, &platform::ManagedWindow::closedByUser, &fast_,
                     [this] { loop_.passSoon(); });
    // Every load of the Fast Counter is a step of the cycle.
    QObject::connect(&fast_, &platform::ManagedWindow::loaded, &fast_, [this] { cycle_.step(); });
    QObject::connect(&main_, &MainWindow::modalStarted, &main_, [this] { loop_.hold(); });
    QObject::connect(&main_, &MainWindow::modalFinished, &main_, [this] { loop_.release(); });
}

void Program::makeHost(platform::ManagedWindow& host) {
    // The last steps of every host's load: the Fast Counter shown with the host as its owner,
    // then the watch loop started for the host. A Fast Counter still to be made (at start-up)
    // comes once the host is on screen, so that the host's first picture does not wait for it.
    QObject::connect(&host, &platform::ManagedWindow::loaded, &host, [this, &host] {
        const auto showFastCounter = [this, &host] {
            if (host.isLoaded()) {
                fast_.show(&host);
                loop_.start(&host);
            }
        };
        if (fast_.isLoaded()) {
            showFastCounter();
        } else {
            platform::whenOnScreen(host.loadedWindow(), showFastCounter);
        }
    });
}

void Program::writeClipboardCount(int count) {
    // The count goes into the Fast Counter, loaded first when it is not (the window manager
    // closed it). That load is a step of the mode cycle: the switch happens here, and the
    // count is written into the Fast Counter of the next host.
    if (!fast_.isLoaded()) {
        fast_.load();
    }
    fast_.showCount(count);
}
