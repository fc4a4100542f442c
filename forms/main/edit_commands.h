#pragma once

#include <QString>

#include <optional>

// The edit commands of a text box's pop-up menu, as plain functions of the box's state, so
// that the window only reads its box, calls one of these and writes the result back.
namespace edit {

struct BoxState {
    QString text;
    int selectionStart = 0; // the caret when nothing is selected
    int selectionLength = 0;

    QString selectedText() const { return text.mid(selectionStart, selectionLength); }
};

// The text of a box and its caret before the last key of table mode, one for both boxes.
struct UndoSnapshot {
    QString text;
    int caret = 0;
};

// Which of the six items can be chosen.
struct MenuStates {
    bool undo = false;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool remove = false;
    bool selectAll = false;
};

MenuStates menuStates(const BoxState& box, const QString& clipboard,
                      const std::optional<UndoSnapshot>& undo);

// "Paste" goes in at the selection start without replacing the selection, and leaves the
// caret one character after the insertion point, whatever the length of the pasted text.
struct PasteResult {
    BoxState box;
    int undoCaret;
};
PasteResult paste(const BoxState& box, const QString& clipboard);

// "Undo" writes the snapshot, with the caret at the snapshot's caret, clamped to the end.
// Without a snapshot the box is emptied (the menu item is disabled then).
BoxState undo(const std::optional<UndoSnapshot>& snapshot);

// "Cut" and "Delete" remove the selection, leaving the caret where it started.
BoxState removeSelection(const BoxState& box);

BoxState selectAll(const BoxState& box);

} // namespace edit
