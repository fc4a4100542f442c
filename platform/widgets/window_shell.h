#pragma once

#include <QWidget>

namespace platform {

// The top-level widget of every window. A close from the title bar is never carried out by
// Qt: the shell announces it and the window decides what a close means.
class WindowShell final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowShell)

public:
    explicit WindowShell(Qt::WindowFlags flags);

Q_SIGNALS:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace platform
