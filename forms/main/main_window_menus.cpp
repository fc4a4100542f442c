// The pop-up menus of the two boxes: prepared at every press on the box, shown at the pointer
// for the right button, six commands each.
#include "forms/main/main_window.h"

#include "platform/system/clipboard.h"
#include "platform/widgets/text_box.h"

#include <QAction>
#include <QMenu>

edit::BoxState MainWindow::boxState(Box box) {
    const platform::TextBox* b = ui_.block(box).box;
    edit::BoxState state;
    state.text = b->text();
    state.selectionStart = b->hasSelectedText() ? b->selectionStart() : b->cursorPosition();
    state.selectionLength = b->hasSelectedText() ? static_cast<int>(b->selectedText().size()) : 0;
    return state;
}

// The box's change notification recounts it, as for typing.
void MainWindow::writeBox(Box box, const edit::BoxState& state) {
    platform::TextBox* b = ui_.block(box).box;
    b->setBoxText(state.text);
    if (state.selectionLength > 0) {
        b->setSelection(state.selectionStart, state.selectionLength);
    } else {
        b->setCursorPosition(state.selectionStart);
    }
}

void MainWindow::prepareMenu(Box box, Qt::MouseButton button, QPoint globalPosition) {
    const edit::MenuStates states =
        edit::menuStates(boxState(box), platform::clipboardText(), undo_);
    const TextBlockControls& block = ui_.block(box);
    block.undo->setEnabled(states.undo);
    block.cut->setEnabled(states.cut);
    block.copy->setEnabled(states.copy);
    block.paste->setEnabled(states.paste);
    block.remove->setEnabled(states.remove);
    block.selectAll->setEnabled(states.selectAll);
    if (button == Qt::RightButton) {
        block.menu->popup(globalPosition);
    }
}

void MainWindow::undo(Box box) {
    writeBox(box, edit::undo(undo_));
}

void MainWindow::cut(Box box) {
    const edit::BoxState state = boxState(box);
    platform::clearClipboard();
    platform::setClipboardText(state.selectedText());
    writeBox(box, edit::removeSelection(state));
}

void MainWindow::copy(Box box) {
    platform::clearClipboard();
    platform::setClipboardText(boxState(box).selectedText());
}

void MainWindow::paste(Box box) {
    const edit::PasteResult result = edit::paste(boxState(box), platform::clipboardText());
    // The snapshot's caret follows the paste, so an undo after it puts the caret there.
    if (undo_) {
        undo_->caret = result.undoCaret;
    }
    writeBox(box, result.box);
}

void MainWindow::deleteSelection(Box box) {
    writeBox(box, edit::removeSelection(boxState(box)));
}

void MainWindow::selectAll(Box box) {
    writeBox(box, edit::selectAll(boxState(box)));
}
