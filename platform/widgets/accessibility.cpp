#include "platform/widgets/accessibility.h"

#include "platform/widgets/pressed_look_pair.h"
#include "platform/widgets/text_box.h"

#include <QAccessibleWidget>
#include <QFontMetrics>

namespace platform {
namespace {

class TextBoxAccessible final : public QAccessibleWidget,
                                public QAccessibleTextInterface,
                                public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(TextBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    TextBox* box() const { return static_cast<TextBox*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Value ? box()->text() : QAccessibleWidget::text(type);
    }
    void setText(QAccessible::Text type, const QString& text) override {
        if (type != QAccessible::Value) {
            QAccessibleWidget::setText(type, text);
        } else if (!box()->isLocked()) {
            box()->setBoxText(text);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = box()->isLocked() || box()->isReadOnly();
        state.editable = !state.readOnly;
        state.selectableText = true;
        return state;
    }

    // Reading.
    void selection(int index, int* start, int* end) const override {
        const bool selected = index == 0 && box()->hasSelectedText();
        *start = selected ? box()->selectionStart() : 0;
        *end = selected ? box()->selectionEnd() : 0;
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int /*index*/) override { box()->deselect(); }
    void setSelection(int /*index*/, int start, int end) override {
        box()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        return box()->text().mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    QRect characterRect(int offset) const override {
        // Where the character would stand with the text unscrolled: close enough for a
        // magnifier to follow, without the line edit's private layout.
        const QFontMetrics metrics(box()->font());
        const QString text = box()->text();
        const QRect contents = box()->contentsRect();
        const int x = contents.left() + metrics.horizontalAdvance(text.left(offset));
        const QRect local(x, contents.top(), metrics.horizontalAdvance(text.mid(offset, 1)),
                          contents.height());
        return QRect(box()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int /*start*/, int end) override { box()->setCursorPosition(end); }
    QString attributes(int /*offset*/, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Writing: refused while the box is locked.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        if (!box()->isLocked()) {
            box()->setBoxText(box()->text().replace(start, end - start, text));
        }
    }
};

class PictureButtonAccessible final : public QAccessibleWidget {
public:
    explicit PictureButtonAccessible(PressedLookPair* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            static_cast<PressedLookPair*>(widget())->click();
        }
    }
    QStringList keyBindingsForAction(const QString& /*name*/) const override { return {}; }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String(TextBox::staticMetaObject.className())) {
        return new TextBoxAccessible(static_cast<TextBox*>(object));
    }
    if (className == QLatin1String(PressedLookPair::staticMetaObject.className())) {
        return new PictureButtonAccessible(static_cast<PressedLookPair*>(object));
    }
    return nullptr;
}

} // namespace

void installAccessibility() {
    QAccessible::installFactory(accessibleFor);
}

} // namespace platform
