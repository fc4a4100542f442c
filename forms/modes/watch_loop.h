#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "platform/widgets/managed_window.h"

#include <functional>

namespace platform {
class ClipboardCounter;
class ProgramRun;
} // namespace platform

// The one watch loop of the program, run for whichever host window owns the Fast Counter
// (the main window, the Mini Counter or the background host). Each pass keeps the host above
// other windows and shows the clipboard's count. Passes run from the event loop, only when
// there is something to do: when a host starts, when the clipboard reports a change, when a
// hold ends and when the Fast Counter has been closed. The windows stay above others through
// the window manager's above state, so an idle program never wakes up for the loop. Only
// where the platform reports no clipboard changes does a pass run on a timer, every 250 ms.
class WatchLoop final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WatchLoop)

public:
    // `showCount` writes the count on the Fast Counter; the program's writer loads a Fast
    // Counter that is not loaded, which is how one closed from its title bar comes back.
    WatchLoop(platform::ProgramRun& run, platform::ClipboardCounter& counter,
              std::function<void(int)> showCount);
    ~WatchLoop() override;

    // Starts the loop for `host` and returns at once. A loop already running, for this host
    // or another, is replaced: there is never more than one. nullptr stops the loop.
    void start(platform::ManagedWindow* host);

    // Between hold() and the matching release() no pass runs: a handler that opens a modal
    // dialog keeps the loop out of the dialog's nested event loop until it returns.
    void hold() { ++holds_; }
    void release();

    // A pass as soon as the event loop is back, for a change the clipboard does not report.
    void passSoon();

    platform::ManagedWindow* host() const { return host_; }
    bool isRunning() const { return running_; }

    // One pass now, under the same conditions as a pass from the event loop.
    void runPass() { pass(); }

private:
    void pass();
    void stop();

    platform::ProgramRun& run_;
    platform::ClipboardCounter& counter_;
    std::function<void(int)> showCount_;
    QPointer<platform::ManagedWindow> host_;
    bool running_ = false;
    int holds_ = 0;
    QTimer poll_;
    QTimer changeKick_;
};
