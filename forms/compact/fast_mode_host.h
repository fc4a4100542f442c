#pragma once

#include "platform/widgets/managed_window.h"

// The host of Fast mode: a window that is never shown. It owns the Fast Counter and the watch
// loop runs for it while neither the main window nor the Mini Counter is loaded.
class FastModeHost final : public platform::ManagedWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FastModeHost)

public:
    explicit FastModeHost(platform::ProgramRun& run);
    ~FastModeHost() override;

protected:
    platform::WindowShell* createWindow() override;
};
