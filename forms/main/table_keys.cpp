#include "forms/main/table_keys.h"

#include <QChar>

namespace tablekeys {

namespace {

// The text split into characters, a surrogate pair kept together.
std::vector<QString> characters(const QString& text) {
    std::vector<QString> result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        result.push_back(text.mid(i, width));
        i += width - 1;
    }
    return result;
}

// What Qt itself would type into a line edit; control characters in an event's text come
// from keys that are told apart by their key code.
bool typesSomething(const QString& character) {
    const char32_t code = character.size() == 2
                              ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                              : character.at(0).unicode();
    const QChar::Category category = QChar::category(code);
    return QChar::isPrint(code) || category == QChar::Other_Format ||
           category == QChar::Other_PrivateUse;
}

edit::BoxState replaceSelection(const edit::BoxState& box, const QString& with) {
    edit::BoxState result;
    result.text = box.text.left(box.selectionStart) + with +
                  box.text.mid(box.selectionStart + box.selectionLength);
    result.selectionStart = box.selectionStart + static_cast<int>(with.size());
    return result;
}

} // namespace

std::vector<TableKey> keysForKeyEvent(int key, Qt::KeyboardModifiers modifiers,
                                      const QString& text) {
    switch (key) {
    case Qt::Key_Delete:
        return {TableKey::deleteKey()};
    case Qt::Key_Backspace:
        return {TableKey::typed(QString(QChar(kBackspace)))};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {TableKey::typed(QString(QChar(kReturn)))};
    case Qt::Key_Escape:
        return {TableKey::typed(QString(QChar(kEscape)))};
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return {};
    default:
        break;
    }
    // Ctrl with Alt is AltGr on some systems and types what the layout puts there.
    if (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            return {TableKey::typed(QString(QChar(static_cast<char16_t>(key - Qt::Key_A + 1))))};
        }
        return {};
    }
    std::vector<TableKey> keys;
    for (QString& character : characters(text)) {
        if (typesSomething(character)) {
            keys.push_back(TableKey::typed(std::move(character)));
        }
    }
    return keys;
}

std::vector<TableKey> keysForCommittedText(const QString& text) {
    std::vector<TableKey> keys;
    for (QString& character : characters(text)) {
        keys.push_back(TableKey::typed(std::move(character)));
    }
    return keys;
}

std::optional<edit::BoxState> applyTableKey(const edit::BoxState& box, const TableKey& key,
                                            const TableHolds& holds) {
    const int start = box.selectionStart;
    const bool nothingSelected = box.selectionLength == 0;
    const auto removeSelected = [&]() -> std::optional<edit::BoxState> {
        if (nothingSelected) {
            return std::nullopt;
        }
        return edit::removeSelection(box);
    };

    if (key.isDelete) {
        if (start < box.text.size() && nothingSelected) {
            return edit::BoxState{box.text.left(start) + box.text.mid(start + 1), start, 0};
        }
        return removeSelected();
    }
    if (key.character == QChar(kBackspace)) {
        if (start > 0 && nothingSelected) {
            return edit::BoxState{box.text.left(start - 1) + box.text.mid(start), start - 1, 0};
        }
        return removeSelected();
    }
    if (key.character == QChar(kBlank)) {
        return replaceSelection(box, key.character);
    }
    if (!holds(key.character)) {
        return std::nullopt;
    }
    // The character goes in once, never the longer text of an entry. A line break that a
    // table holds goes the way of every line break into a single-line box: it is removed,
    // and with it the selection it replaced.
    QString typed = key.character;
    typed.remove(QLatin1Char('\r'));
    typed.remove(QLatin1Char('\n'));
    return replaceSelection(box, typed);
}

} // namespace tablekeys
