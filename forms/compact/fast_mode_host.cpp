#include "forms/compact/fast_mode_host.h"

#include "forms/design_names.h"
#include "platform/system/keep_on_top.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/window_shell.h"

FastModeHost::FastModeHost(platform::ProgramRun& run)
    : platform::ManagedWindow(QString::fromUtf8(names::kFastModeHost), run) {}

FastModeHost::~FastModeHost() {
    discardWindow();
}

platform::WindowShell* FastModeHost::createWindow() {
    auto* window = new platform::WindowShell(Qt::FramelessWindowHint | Qt::Tool);
    platform::markStaysOnTop(window);
    window->setWindowTitle(QString::fromUtf8(names::kFastModeHost));
    window->setGeometry(platform::rectFromTwips(0, 0, 435, 390));
    window->setFixedSize(window->size());
    return window;
}
