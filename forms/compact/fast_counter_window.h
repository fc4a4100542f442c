#pragma once

#include "platform/widgets/managed_window.h"

class QLabel;

namespace platform {
class ClickableLabel;
} // namespace platform

namespace storage {
class StateFiles;
} // namespace storage

// The Fast Counter: "Hai copiato", the clipboard's count and "caratteri" in a small window
// that stays on screen in every working mode. Each load of it moves the cycle of working modes
// one step (whoever listens to `loaded` does that); a left press on its margin unloads and
// loads it again, which is a switch, and a right press saves its position and ends the program.
class FastCounterWindow final : public platform::ManagedWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FastCounterWindow)

public:
    FastCounterWindow(platform::ProgramRun& run, storage::StateFiles& files);
    ~FastCounterWindow() override;

    // Shows the clipboard's count; a window that is not loaded shows nothing.
    void showCount(int count);

protected:
    platform::WindowShell* createWindow() override;
    void onLoad() override;
    void onUnload() override;

private:
    struct Controls {
        platform::ClickableLabel* margin = nullptr; // the label behind the three captions
        QLabel* count = nullptr;
    };

    void onMarginPressed(Qt::MouseButton button);
    // Writes the window's place into the position file: its unload, and the right press.
    void savePosition();

    storage::StateFiles& files_;
    Controls ui_;
};
