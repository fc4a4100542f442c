#include "forms/main/edit_commands.h"

#include <algorithm>

namespace edit {

MenuStates menuStates(const BoxState& box, const QString& clipboard,
                      const std::optional<UndoSnapshot>& undo) {
    const QString selected = box.selectedText();
    MenuStates states;
    states.undo = undo.has_value() && !undo->text.isEmpty();
    states.cut = states.copy = states.remove = !selected.isEmpty();
    states.paste = !clipboard.isEmpty();
    states.selectAll = selected != box.text;
    return states;
}

PasteResult paste(const BoxState& box, const QString& clipboard) {
    const int p = box.selectionStart;
    BoxState result;
    result.text = box.text.left(p) + clipboard + box.text.mid(p);
    result.selectionStart = std::min(p + 1, static_cast<int>(result.text.size()));
    return {result, p};
}

BoxState undo(const std::optional<UndoSnapshot>& snapshot) {
    if (!snapshot) {
        return {};
    }
    return {snapshot->text, std::clamp(snapshot->caret, 0, static_cast<int>(snapshot->text.size())),
            0};
}

BoxState removeSelection(const BoxState& box) {
    BoxState result;
    result.text =
        box.text.left(box.selectionStart) + box.text.mid(box.selectionStart + box.selectionLength);
    result.selectionStart = box.selectionStart;
    return result;
}

BoxState selectAll(const BoxState& box) {
    return {box.text, 0, static_cast<int>(box.text.size())};
}

} // namespace edit
