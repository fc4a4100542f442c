// The pop-up menus of the two boxes: prepared at every mouse-down on the box, shown at the
// pointer for the right button, six commands each.
#include "forms/main/form1.h"

#include "platform/clipboard.h"
#include "platform/text_box.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (!isLoaded()) {
        return platform::Form::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        for (const Box box : {Box::First, Box::Second}) {
            if (watched == textBox(box)) {
                boxMouseDown(box, mouse->button(), mouse->globalPosition().toPoint());
            }
        }
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        watched == control<QLabel>(QStringLiteral("url"))) {
        url_Click();
    }
    return platform::Form::eventFilter(watched, event);
}

edit::BoxState Form1::boxState(Box box) {
    platform::TextBox* b = textBox(box);
    edit::BoxState state;
    state.text = b->text();
    state.selectionStart = b->hasSelectedText() ? b->selectionStart() : b->cursorPosition();
    state.selectionLength = b->hasSelectedText() ? static_cast<int>(b->selectedText().size()) : 0;
    return state;
}

void Form1::writeBox(Box box, const edit::BoxState& state) {
    platform::TextBox* b = textBox(box);
    b->setBoxText(state.text);
    if (state.selectionLength > 0) {
        b->setSelection(state.selectionStart, state.selectionLength);
    } else {
        b->setCursorPosition(state.selectionStart);
    }
}

void Form1::boxMouseDown(Box box, Qt::MouseButton button, QPoint globalPos) {
    const edit::MenuStates states =
        edit::menuStates(boxState(box), platform::clipboardText(), UndoText);
    const QString s = suffix(box);
    QMenu* boxMenu = menu(box);
    const auto enable = [&](const char* name, bool enabled) {
        boxMenu->findChild<QAction*>(QString::fromLatin1(name) + s)->setEnabled(enabled);
    };
    enable("mAnn", states.undo);
    enable("mCut", states.cut);
    enable("mCopy", states.copy);
    enable("mInc", states.paste);
    enable("mDel", states.remove);
    enable("mSelT", states.selectAll);
    if (button == Qt::RightButton) {
        boxMenu->popup(globalPos);
    }
}

void Form1::undoClicked(Box box) {
    writeBox(box, edit::undo(UndoText, UndoCaret));
    recount(box);
}

void Form1::cutClicked(Box box) {
    const edit::BoxState state = boxState(box);
    platform::clearClipboard();
    platform::setClipboardText(state.selectedText());
    writeBox(box, edit::removeSelection(state));
    recount(box);
}

void Form1::copyClicked(Box box) {
    platform::clearClipboard();
    platform::setClipboardText(boxState(box).selectedText());
}

void Form1::pasteClicked(Box box) {
    PasteText = platform::clipboardText();
    const edit::PasteResult result = edit::paste(boxState(box), PasteText);
    UndoCaret = result.undoCaret;
    writeBox(box, result.box);
    recount(box);
}

void Form1::deleteClicked(Box box) {
    writeBox(box, edit::removeSelection(boxState(box)));
    recount(box);
}

void Form1::selectAllClicked(Box box) {
    writeBox(box, edit::selectAll(boxState(box)));
}
