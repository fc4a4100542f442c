#pragma once

#include <QLineEdit>

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

Q_SIGNALS:
    void changed();

private:
    void onTextChanged(const QString& text);
    bool stripping_ = false;
};

// The text without carriage returns and line feeds.
QString withoutLineBreaks(QString text);

// A string's UTF-16 code units, for the counting functions; valid while the string lives.
inline std::u16string_view utf16View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace platform
