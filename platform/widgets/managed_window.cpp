#include "platform/widgets/managed_window.h"

#include "platform/widgets/program_run.h"
#include "platform/widgets/window_shell.h"

#include <QWindow>

namespace platform {

ManagedWindow::ManagedWindow(const QString& name, ProgramRun& run) : run_(run) {
    setObjectName(name);
}

ManagedWindow::~ManagedWindow() {
    discardWindow();
}

void ManagedWindow::discardWindow() {
    // The program is over: the on-screen window goes without an unload handler.
    WindowShell* widget = window_.data();
    window_ = nullptr;
    delete widget;
}

void ManagedWindow::load() {
    if (isLoaded() || run_.hasEnded()) {
        return;
    }
    WindowShell* widget = createWindow();
    widget->setObjectName(objectName());
    connect(widget, &WindowShell::closeRequested, this, &ManagedWindow::onCloseRequested);
    window_ = widget;
    onLoad();
    Q_EMIT loaded();
}

void ManagedWindow::show(ManagedWindow* owner) {
    load();
    QWidget* widget = loadedWindow();
    if (widget == nullptr) {
        return;
    }
    if (owner != nullptr && owner != this && owner->isLoaded()) {
        // A native window for both, so that the owner can be the transient parent even
        // when it is never shown (the background host of Fast mode).
        widget->winId();
        owner->loadedWindow()->winId();
        widget->windowHandle()->setTransientParent(owner->loadedWindow()->windowHandle());
    }
    widget->show();
}

void ManagedWindow::unload() {
    if (!isLoaded() || unloading_ || run_.hasEnded()) {
        return;
    }
    unloading_ = true;
    onUnload();
    unloading_ = false;
    WindowShell* widget = window_.data();
    window_ = nullptr;
    if (widget != nullptr) {
        widget->disconnect(this);
        widget->hide();
        widget->deleteLater();
    }
}

QWidget* ManagedWindow::loadedWindow() const {
    return window_.data();
}

void ManagedWindow::onCloseRequested() {
    if (run_.hasEnded()) {
        return;
    }
    unload();
    Q_EMIT closedByUser();
}

} // namespace platform
