// The table block: CARICA TABLE chooses and loads a character table, the check box switches
// table mode, and in table mode both boxes are locked and every key goes through the table.
#include "forms/main/form1.h"

#include "core/char_table.h"
#include "forms/compact/watch_loop.h"
#include "forms/main/table_keys.h"
#include "platform/open_file_dialog.h"
#include "platform/text_box.h"
#include "storage/text_encoding.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace {

// TableOn holds -1 (all bits set) for true.
constexpr std::int16_t kTableModeOn = -1;
constexpr std::int16_t kTableModeOff = 0;

const char* const kLoadDump = "tdf.txt";
const char* const kChoiceDump = "tbl.txt";

// Hands a box's events to the window before the box itself sees them; the box still gets
// every event and, when locked, drops the edits.
class BoxEventTap final : public QObject {
public:
    BoxEventTap(QObject* parent, std::function<void(QEvent*)> tap)
        : QObject(parent), tap_(std::move(tap)) {}

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        tap_(event);
        return false;
    }

private:
    std::function<void(QEvent*)> tap_;
};

// The keys of the table rule that a box's event stands for: a key press, or the text an input
// method commits; none for any other event.
std::vector<tablekeys::TableKey> tableKeysOf(const QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        return tablekeys::keysForKeyEvent(key->key(), key->modifiers(), key->text());
    }
    if (event->type() == QEvent::InputMethod) {
        return tablekeys::keysForCommittedText(
            static_cast<const QInputMethodEvent*>(event)->commitString());
    }
    return {};
}

// The file's name as the file system spells it, for the standard library's file access.
std::filesystem::path filesystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

void Form1::wireTable(QWidget* window) {
    auto* check1 = window->findChild<QCheckBox*>(QStringLiteral("Check1"));
    // The check box acts when the focus leaves it for another control of this window; the
    // window losing activation (now is null) or a pop-up (a window of its own) is no leaving.
    connect(qApp, &QApplication::focusChanged, window, [this, check1](QWidget* old, QWidget* now) {
        if (old == check1 && now != nullptr && now != check1 && now->window() == check1->window()) {
            Check1_Validate();
        }
    });

    for (const Box box : {Box::First, Box::Second}) {
        platform::TextBox* textBoxOfWindow = window->findChild<platform::TextBox*>(
            box == Box::First ? QStringLiteral("Text1") : QStringLiteral("Text2"));
        textBoxOfWindow->installEventFilter(
            new BoxEventTap(textBoxOfWindow, [this, box](QEvent* event) {
                // Not loaded: an event reaching the box of a window being unloaded.
                if (TableOn != kTableModeOn || !isLoaded()) {
                    return;
                }
                for (const tablekeys::TableKey& key : tableKeysOf(event)) {
                    tableKey(box, key);
                }
            }));
    }
}

platform::OpenFileDialog& Form1::tableDialog() {
    if (openFileDialog_ != nullptr) {
        return *openFileDialog_;
    }
    static platform::QtOpenFileDialog qtDialog;
    return qtDialog;
}

void Form1::chooseTable() {
    std::optional<QString> chosen;
    {
        // The watch loop stands still while the dialog's own event loop runs.
        const WatchLoop::Hold hold;
        chosen = tableDialog().chooseTable(window());
    }
    if (!chosen || !isLoaded()) {
        return;
    }
    const QFileInfo file(*chosen);

    // The dumps are relative names: with the table's folder as the working directory they
    // land beside the table, where a translator looks for them.
    if (!QDir::setCurrent(file.absolutePath())) {
        qWarning("tavrel-counter: cannot make %s the working folder; the table dumps go to %s",
                 qUtf8Printable(file.absolutePath()), qUtf8Printable(QDir::currentPath()));
    }
    control<QLabel>(QStringLiteral("nTBL"))->setText(file.fileName());

    // A table that cannot be read, or ends inside an entry, still turns table mode on with
    // whatever the table holds now.
    switch (Module1::LoadTableFile(filesystemPath(file.absoluteFilePath()), kLoadDump,
                                   storage::tableDecoderChooser())) {
    case Module1::TableLoadStatus::Complete:
        break;
    case Module1::TableLoadStatus::CannotOpen:
        qWarning("tavrel-counter: cannot read the table %s", qUtf8Printable(*chosen));
        break;
    case Module1::TableLoadStatus::ReadPastEnd:
        qWarning("tavrel-counter: the table %s ends inside an entry; the entries before the end "
                 "are in use and %s was not written",
                 qUtf8Printable(*chosen), kLoadDump);
        break;
    }

    TableOn = kTableModeOn;
    lockBoxes(true);
    // Checked by the program: the check box acts only when the focus leaves it.
    control<QCheckBox>(QStringLiteral("Check1"))->setChecked(true);
    if (!Module1::DumpTable(kChoiceDump)) {
        qWarning("tavrel-counter: cannot write %s in %s", kChoiceDump,
                 qUtf8Printable(QDir::currentPath()));
    }
}

void Form1::Check1_Validate() {
    // The table stays loaded either way, ready for the next switch on.
    if (control<QCheckBox>(QStringLiteral("Check1"))->isChecked()) {
        TableOn = kTableModeOn;
        lockBoxes(true);
    } else {
        TableOn = kTableModeOff;
        lockBoxes(false);
    }
}

void Form1::lockBoxes(bool locked) {
    textBox(Box::First)->setLocked(locked);
    textBox(Box::Second)->setLocked(locked);
}

void Form1::tableKey(Box box, const tablekeys::TableKey& key) {
    if (TableOn != kTableModeOn) {
        return;
    }
    textBox(box)->setLocked(true);
    // The snapshot comes first, also for a key that then changes nothing.
    const edit::BoxState before = boxState(box);
    UndoCaret = before.selectionStart;
    UndoText = before.text;
    const auto holds = [](const QString& character) {
        return Module1::TableHolds(platform::utf16View(character));
    };
    if (const std::optional<edit::BoxState> after = tablekeys::applyTableKey(before, key, holds)) {
        // The box's change notification recounts it.
        writeBox(box, *after);
    }
}
