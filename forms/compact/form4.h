#pragma once

#include "platform/form.h"

class WatchLoop;

// The host of Fast mode: a window that is never shown, owns the Fast Counter and runs the
// watch loop while neither the main window nor the Mini Counter is loaded.
class Form4 final : public platform::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form4)

public:
    Form4();
    ~Form4() override;

    void setFastCounter(platform::Form* fastCounter) { fastCounter_ = fastCounter; }
    void setWatchLoop(WatchLoop* loop) { watchLoop_ = loop; }

protected:
    QWidget* createWindow() override;
    void Form_Load() override;

private:
    void ciccioloop();

    platform::Form* fastCounter_ = nullptr;
    WatchLoop* watchLoop_ = nullptr;
};
