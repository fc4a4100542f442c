#include "platform/form.h"

#include "platform/program_end.h"

#include <QCloseEvent>
#include <QWindow>

namespace platform {

Form::Form(const QString& name) {
    setObjectName(name);
}

Form::~Form() {
    discardWindow();
}

void Form::discardWindow() {
    // The program is over: the on-screen window goes without an unload handler.
    QWidget* widget = window_.data();
    window_ = nullptr;
    delete widget;
}

void Form::load() {
    if (isLoaded() || programHasEnded()) {
        return;
    }
    QWidget* widget = createWindow();
    widget->setObjectName(objectName());
    widget->installEventFilter(this);
    window_ = widget;
    Form_Load();
}

void Form::show(Form* owner) {
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

void Form::unload() {
    if (!isLoaded() || unloading_ || programHasEnded()) {
        return;
    }
    unloading_ = true;
    Form_Unload();
    unloading_ = false;
    QWidget* widget = window_.data();
    window_ = nullptr;
    if (widget != nullptr) {
        widget->removeEventFilter(this);
        widget->hide();
        widget->deleteLater();
    }
}

QWidget* Form::window() {
    load();
    return window_.data();
}

void Form::closeRequested() {
    unload();
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.data() && event->type() == QEvent::Close) {
        // The window decides what a close means; Qt must not hide it on its own.
        event->ignore();
        if (!programHasEnded()) {
            closeRequested();
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
