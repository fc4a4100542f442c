#pragma once

#include <QLineEdit>

#include <QKeyEvent>

#include <string_view>

namespace platform {

// A single-line text box. Whatever route a text takes into it (typing, pasting, dropping,
// an input method, the program), carriage returns and line feeds are removed before the
// change is announced, so the box always holds one line, and `changed` fires once per
// change of that line.
class TextBox final : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextBox)

public:
    explicit TextBox(QWidget* parent = nullptr);

    // The most characters a box holds; longer text is cut there.
    static constexpr int kMaxLength = 32767;

    // Sets the text as the program does: line breaks removed, cut at the length limit.
    void setBoxText(const QString& text);

    // A locked box takes no change from the user by any route of its own: typed keys,
    // input-method commits, drops, the X11 middle-button paste, cut, paste and undo keys are
    // dropped, while the caret, selection and copy keep working. Every change the program makes
    // (setText, insert, del, ...) still goes through. Read-only mode would do most of this,
    // but a read-only QLineEdit draws no caret, and the user must see where a key would go.
    void setLocked(bool locked);
    bool isLocked() const { return locked_; }

Q_SIGNALS:
    void changed();
    // Announced before the box acts on the event, so a listener can act first (and lock the
    // box, which then drops the edit).
    void keyPressed(const QKeyEvent& event);
    void textCommitted(const QString& text); // an input method's commit
    void mousePressed(Qt::MouseButton button, QPoint globalPosition);
    void mouseMoved();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void onTextChanged(const QString& text);
    bool stripping_ = false;
    bool locked_ = false;
};

// True for the keys a locked box still acts on: they move the caret, select or copy, and
// never change the text.
bool keyLeavesTextAlone(const QKeyEvent& event);

// The text without carriage returns and line feeds.
QString withoutLineBreaks(QString text);

} // namespace platform
