#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace platform {

// A window with a load / show / unload life cycle. The object lives as long as the program
// and keeps its window-level variables (plain members of the subclass); the on-screen window
// is created from the design at every load and removed at every unload, so its controls
// come back with their design values each time.
class Form : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form)

public:
    explicit Form(const QString& name);
    ~Form() override;

    // Creates the on-screen window hidden, marks the window loaded, runs the load handler.
    // Loading a loaded window does nothing.
    void load();

    // Loads when needed, then shows modeless; the owner is a transient parent, never a
    // QObject parent, so unloading the owner cannot delete this window behind our back.
    void show(Form* owner = nullptr);

    // Runs the unload handler, then removes the on-screen window. Unloading an unloaded
    // window does nothing. Safe from inside one of the window's own event handlers: the
    // widget is hidden at once and deleted once Qt has left its event.
    void unload();

    bool isLoaded() const { return window_ != nullptr; }

    // The on-screen window; reaching it (or a control) loads the window first.
    QWidget* window();

    // The on-screen window if loaded, without loading it.
    QWidget* loadedWindow() const { return window_; }

    // A control of the window by its name, loading the window first; nullptr once the
    // program has ended.
    template <typename T> T* control(const QString& name) {
        QWidget* widget = window();
        return widget != nullptr ? widget->findChild<T*>(name) : nullptr;
    }

protected:
    // Deletes the on-screen window without an unload handler. Each window's destructor calls
    // it first: deleting the widgets still sends events (hide, focus) to the window's own
    // handlers, which must find the whole window object alive.
    void discardWindow();

    // Builds the design: a hidden top-level widget with every control named.
    virtual QWidget* createWindow() = 0;
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // The title bar's close command; the default unloads the window.
    virtual void closeRequested();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool unloading_ = false;
};

} // namespace platform
