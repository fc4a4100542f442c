#pragma once

#include "forms/main/edit_commands.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The keys of a text box in table mode, as plain functions: which Qt key events count, and
// what each one does to the box's text and caret. The window takes the undo snapshot, calls
// `applyTableKey` and writes the result back.
namespace tablekeys {

inline constexpr char16_t kBackspace = 8;
inline constexpr char16_t kReturn = 13;
inline constexpr char16_t kEscape = 27;
inline constexpr char16_t kBlank = 32;

// One key for the table rule: the Delete key, or a typed character (a control character for
// Return, Backspace, Escape and Ctrl with a letter). A character outside the Basic
// Multilingual Plane is one key of two UTF-16 units.
struct TableKey {
    bool isDelete = false;
    QString character;

    static TableKey deleteKey() { return {true, QString()}; }
    static TableKey typed(QString character) { return {false, std::move(character)}; }
    friend bool operator==(const TableKey&, const TableKey&) = default;
};

// The keys a key event stands for, in order; none for the keys that only move, select or
// change focus (arrows, Home, End, Page keys, Tab, modifiers alone, function keys). Control
// keys are told by key code and modifiers, never by the event's text, which differs between
// platforms (Ctrl+C brings "c" from one and "\x03" from another).
std::vector<TableKey> keysForKeyEvent(int key, Qt::KeyboardModifiers modifiers,
                                      const QString& text);

// The keys of text an input method commits: one per character.
std::vector<TableKey> keysForCommittedText(const QString& text);

// Whether the table lets one typed character in: some entry's whole text equals it.
using TableHolds = std::function<bool(const QString& character)>;

// The box after the key, or nothing when the key changes nothing. `box.selectionStart` is the
// caret when nothing is selected. What the result holds is written whole: its text, and the
// caret at its selection start.
std::optional<edit::BoxState> applyTableKey(const edit::BoxState& box, const TableKey& key,
                                            const TableHolds& holds);

} // namespace tablekeys
