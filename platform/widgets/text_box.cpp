#include "platform/widgets/text_box.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>

namespace platform {

QString withoutLineBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

bool keyLeavesTextAlone(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        break;
    }
    return event.matches(QKeySequence::Copy) || event.matches(QKeySequence::SelectAll) ||
           event.matches(QKeySequence::Deselect);
}

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
    connect(this, &QLineEdit::textChanged, this, &TextBox::onTextChanged);
}

void TextBox::setBoxText(const QString& text) {
    setText(withoutLineBreaks(text));
}

void TextBox::setLocked(bool locked) {
    locked_ = locked;
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    Q_EMIT keyPressed(*event);
    // A whitelist rather than a list of edit keys: the platform's key bindings hold more edit
    // keys than one could name (Ctrl+K, Ctrl+Backspace, Shift+Insert, Ctrl+Shift+Z, ...).
    if (locked_ && !keyLeavesTextAlone(*event)) {
        // Dropped as a read-only box drops it: the key goes on to the window.
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        Q_EMIT textCommitted(event->commitString());
    }
    if (locked_ && (!event->commitString().isEmpty() || event->replacementLength() != 0)) {
        // The composition still shows while it is under way; only the text it would commit
        // (or replace) is kept out.
        QInputMethodEvent preeditOnly(event->preeditString(), event->attributes());
        QLineEdit::inputMethodEvent(&preeditOnly);
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TextBox::mousePressEvent(QMouseEvent* event) {
    Q_EMIT mousePressed(event->button(), event->globalPosition().toPoint());
    QLineEdit::mousePressEvent(event);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT mousePressed(event->button(), event->globalPosition().toPoint());
    QLineEdit::mouseDoubleClickEvent(event);
}

void TextBox::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT mouseMoved();
    QLineEdit::mouseMoveEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    // On X11 the middle button pastes the primary selection at the release.
    if (locked_ && event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TextBox::dragEnterEvent(QDragEnterEvent* event) {
    if (locked_) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void TextBox::dragMoveEvent(QDragMoveEvent* event) {
    if (locked_) {
        event->ignore();
        return;
    }
    QLineEdit::dragMoveEvent(event);
}

void TextBox::dropEvent(QDropEvent* event) {
    if (locked_) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void TextBox::onTextChanged(const QString& text) {
    if (stripping_) {
        return;
    }
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
        // Keep the caret where it was relative to the characters that stay.
        const int caret = cursorPosition();
        const int removedBeforeCaret = static_cast<int>(text.left(caret).count(QLatin1Char('\r')) +
                                                        text.left(caret).count(QLatin1Char('\n')));
        stripping_ = true;
        setText(withoutLineBreaks(text));
        setCursorPosition(caret - removedBeforeCaret);
        stripping_ = false;
    }
    Q_EMIT changed();
}

} // namespace platform
