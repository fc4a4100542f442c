#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/widgets/window_shell.h"

namespace platform {

class ProgramRun;

// A window with a load / show / unload life cycle. The object lives as long as the program
// and keeps its own state in plain members; the on-screen window is built from the design at
// every load and removed at every unload, so its controls come back with their design values
// each time. The object's name is the window's design name ("Form1" ... "Form4"), which the
// on-screen window carries too.
class ManagedWindow : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ManagedWindow)

public:
    ManagedWindow(const QString& name, ProgramRun& run);
    ~ManagedWindow() override;

    // Builds the on-screen window hidden, marks the window loaded, runs onLoad() and announces
    // `loaded`. Loading a loaded window, or any window once the program has ended, does nothing.
    void load();

    // Loads when needed, then shows modeless; the owner is a transient parent, never a
    // QObject parent, so unloading the owner cannot delete this window behind our back.
    void show(ManagedWindow* owner = nullptr);

    // Runs onUnload(), then removes the on-screen window. Unloading an unloaded window does
    // nothing. Safe from inside one of the window's own event handlers: the widget is hidden at
    // once and deleted once Qt has left its event.
    void unload();

    bool isLoaded() const { return window_ != nullptr; }

    // The on-screen window while loaded, otherwise nullptr; never loads.
    QWidget* loadedWindow() const;

Q_SIGNALS:
    // After onLoad(): a host window's Fast Counter and watch loop start here.
    void loaded();
    // The title bar's close, after the window has been unloaded.
    void closedByUser();

protected:
    // Deletes the on-screen window without an unload handler. Each window's destructor calls
    // it first: deleting the widgets still sends events (hide, focus) to the window's own
    // handlers, which must find the whole window object alive.
    void discardWindow();

    // Builds the design: a hidden top-level window with every control named.
    virtual WindowShell* createWindow() = 0;
    virtual void onLoad() {}
    virtual void onUnload() {}

    ProgramRun& run() const { return run_; }

private:
    void onCloseRequested();

    ProgramRun& run_;
    QPointer<WindowShell> window_;
    bool unloading_ = false;
};

} // namespace platform
