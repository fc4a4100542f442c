#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace platform {
class ClipboardCounter;
class Form;
} // namespace platform

// Where the watch loop writes the clipboard's count: the Fast Counter. Writing loads the Fast
// Counter when it is not loaded, which is how a Fast Counter closed from its title bar comes
// back.
class CountDisplay {
public:
    virtual ~CountDisplay() = default;
    virtual void showCount(int count) = 0;
};

// The one watch loop of the program, run for whichever host window owns the Fast Counter
// (the main window, the Mini Counter or the background host). Each pass keeps the host above
// other windows and shows the clipboard's count. Passes run from the event loop: at once when
// the clipboard reports a change, otherwise about every 50 ms, so an idle program costs next
// to nothing while the count still follows every copy.
class WatchLoop final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WatchLoop)

public:
    WatchLoop(platform::ClipboardCounter& counter, CountDisplay& display);
    ~WatchLoop() override;

    // Starts the loop for `host` and returns at once. A loop already running, for this host
    // or another, is replaced: there is never more than one.
    void start(platform::Form* host);

    // While any Hold exists no pass runs: a handler that opens a modal dialog or a menu keeps
    // the loop out of the nested event loop until it returns.
    class Hold final {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };

    platform::Form* host() const { return host_; }
    bool isRunning() const { return running_; }

    // One pass now, under the same conditions as a pass from the event loop.
    void runPassForTests() { pass(); }

private:
    void pass();
    void stop();

    platform::ClipboardCounter& counter_;
    CountDisplay& display_;
    QPointer<platform::Form> host_;
    bool running_ = false;
    QTimer interval_;
    QTimer changeKick_;
};
