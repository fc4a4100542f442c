#pragma once

#include "core/char_table.h"
#include "forms/compact/fast_counter_window.h"
#include "forms/compact/fast_mode_host.h"
#include "forms/compact/mini_counter_window.h"
#include "forms/main/main_window.h"
#include "forms/modes/mode_cycle.h"
#include "forms/modes/watch_loop.h"
#include "platform/system/clipboard.h"
#include "platform/widgets/program_run.h"
#include "storage/state_files.h"

#include <QString>

#include <functional>

namespace platform {
class FileDialog;
} // namespace platform

// The whole program: the four windows, the watch loop and the cycle of working modes, the
// character table and the state files, wired together. main() makes one; the GUI tests make
// one with a temporary folder, a fake file dialog and their own end.
class Program final {
public:
    // `folder` holds the position and text files; `leaveEventLoop` is the last step of the
    // program's end (QCoreApplication::exit(0) when empty).
    Program(const QString& folder, platform::FileDialog& tableDialog,
            std::function<void()> leaveEventLoop = {});
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The main window's load begins the first working mode.
    void start() { main_.load(); }

    platform::ProgramRun& run() { return run_; }
    storage::StateFiles& files() { return files_; }
    platform::ClipboardCounter& clipboard() { return clipboard_; }
    MainWindow& mainWindow() { return main_; }
    FastCounterWindow& fastCounter() { return fast_; }
    MiniCounterWindow& miniCounter() { return mini_; }
    FastModeHost& fastModeHost() { return fastHost_; }
    WatchLoop& watchLoop() { return loop_; }
    ModeCycle& modeCycle() { return cycle_; }

private:
    void makeHost(platform::ManagedWindow& host);
    void writeClipboardCount(int count);

    platform::ProgramRun run_;
    storage::StateFiles files_;
    CharTable table_;
    platform::ClipboardCounter clipboard_;
    MainWindow main_;
    FastCounterWindow fast_;
    MiniCounterWindow mini_;
    FastModeHost fastHost_;
    WatchLoop loop_;
    ModeCycle cycle_;
};
