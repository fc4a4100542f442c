// The table block: CARICA TABLE chooses and loads a character table, the check box switches
// table mode, and in table mode both boxes are locked and every key goes through the table.
#include "forms/main/main_window.h"

#include "core/char_table.h"
#include "forms/main/table_keys.h"
#include "platform/system/file_dialog.h"
#include "platform/widgets/text_box.h"
#include "storage/text_encoding.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <filesystem>
#include <vector>

namespace {

const char* const kLoadDump = "tdf.txt";
const char* const kChoiceDump = "tbl.txt";

// The file's name as the file system spells it, for the standard library's file access.
std::filesystem::path filesystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

void MainWindow::wireTable() {
    QCheckBox* check = ui_.tableCheck;
    // The check box acts when the focus leaves it for another control of this window; the
    // window losing activation (now is null) or a pop-up (a window of its own) is no leaving.
    connect(qApp, &QApplication::focusChanged, ui_.window,
            [this, check](QWidget* old, QWidget* now) {
                if (old == check && now != nullptr && now != check &&
                    now->window() == check->window()) {
                    applyTableCheckBox();
                }
            });

    for (const Box box : {Box::Original, Box::Translation}) {
        platform::TextBox* textBox = ui_.block(box).box;
        // The box announces a key before acting on it, so the table decides first.
        connect(textBox, &platform::TextBox::keyPressed, this, [this, box](const QKeyEvent& key) {
            for (const tablekeys::TableKey& tableKey :
                 tablekeys::keysForKeyEvent(key.key(), key.modifiers(), key.text())) {
                handleTableKey(box, tableKey);
            }
        });
        connect(textBox, &platform::TextBox::textCommitted, this, [this, box](const QString& text) {
            for (const tablekeys::TableKey& tableKey : tablekeys::keysForCommittedText(text)) {
                handleTableKey(box, tableKey);
            }
        });
    }
}

void MainWindow::chooseTable() {
    Q_EMIT modalStarted();
    const std::optional<QString> chosen = tableDialog_.chooseTable(loadedWindow());
    Q_EMIT modalFinished();
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
    ui_.tableName->setText(file.fileName());

    // A table that cannot be read, or ends inside an entry, still turns table mode on with
    // whatever the table holds now.
    switch (table_.load(filesystemPath(file.absoluteFilePath()), kLoadDump,
                        storage::tableDecoderChooser())) {
    case CharTable::LoadStatus::Complete:
        break;
    case CharTable::LoadStatus::CannotOpen:
        qWarning("tavrel-counter: cannot read the table %s", qUtf8Printable(*chosen));
        break;
    case CharTable::LoadStatus::ReadPastEnd:
        qWarning("tavrel-counter: the table %s ends inside an entry; the entries before the end "
                 "are in use and %s was not written",
                 qUtf8Printable(*chosen), kLoadDump);
        break;
    }

    // The byte line under the difference counts with the same file, read as the common
    // table format (codes of several bytes, entries of several characters).
    QFile tableFile(file.absoluteFilePath());
    if (tableFile.open(QIODevice::ReadOnly) && byteMeter_.load(tableFile.readAll())) {
        byteMeter_.setText(ByteMeter::Original, ui_.block(Box::Original).box->text());
        byteMeter_.setText(ByteMeter::Translation, ui_.block(Box::Translation).box->text());
    } else {
        byteMeter_.clear();
    }
    showBytes();

    setTableMode(true);
    // Checked by the program: the check box acts only when the focus leaves it.
    ui_.tableCheck->setChecked(true);
    if (!table_.dump(kChoiceDump)) {
        qWarning("tavrel-counter: cannot write %s in %s", kChoiceDump,
                 qUtf8Printable(QDir::currentPath()));
    }
}

void MainWindow::applyTableCheckBox() {
    // The table stays loaded either way, ready for the next switch on.
    setTableMode(ui_.tableCheck->isChecked());
}

void MainWindow::setTableMode(bool on) {
    tableMode_ = on;
    for (const TextBlockControls& block : ui_.blocks) {
        block.box->setLocked(on);
    }
}

void MainWindow::handleTableKey(Box box, const tablekeys::TableKey& key) {
    // Not loaded: an event reaching the box of a window being unloaded.
    if (!tableMode_ || !isLoaded()) {
        return;
    }
    ui_.block(box).box->setLocked(true);
    // The snapshot comes first, also for a key that then changes nothing.
    const edit::BoxState before = boxState(box);
    undo_ = edit::UndoSnapshot{before.text, before.selectionStart};
    const auto holds = [this](const QString& character) {
        return table_.holds(platform::utf16View(character));
    };
    if (const std::optional<edit::BoxState> after = tablekeys::applyTableKey(before, key, holds)) {
        // The box's change notification recounts it.
        writeBox(box, *after);
    }
}
