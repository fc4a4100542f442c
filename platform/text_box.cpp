#include "platform/text_box.h"

namespace platform {

QString withoutLineBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
    connect(this, &QLineEdit::textChanged, this, &TextBox::onTextChanged);
}

void TextBox::setBoxText(const QString& text) {
    setText(withoutLineBreaks(text));
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
