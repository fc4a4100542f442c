// The table block: CARICA TABLE chooses and loads a character table, the check box switches
// table mode, and in table mode both boxes are locked and every key goes through the table.
#include "forms/main/main_window.h"

#include "core/char_table.h"
#include "forms/main/table_keys.h"
#include "platform/system/file_dialog.h"
#include "platform/widgets/text_box.h"
#include "storage/char_sets.h"
#include "storage/table_dump.h"
#include "storage/text_encoding.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QLabel>
#include <set>
#include <string>

#include <optional>
#include <string_view>
#include <utility>

namespace {

// Normalised copies of the table, written beside it: after the load, and after the choice.
const char* const kLoadDump = "tdf.txt";
const char* const kChoiceDump = "tbl.txt";

// The table's folder becomes the working folder. The dumps do not need it (they are written by
// full path); Qt's open-file dialog does: with no folder of its own to go back to, it opens in
// the working folder, so the next choice starts beside this table.
void enterTableFolder(const QString& folder) {
    if (!QDir::setCurrent(folder)) {
        qWarning("tavrel-counter: cannot make %s the working folder", qUtf8Printable(folder));
    }
}

// The whole file, or nothing when it cannot be opened or read (a folder cannot be opened).
std::optional<QByteArray> readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

// The width file beside the table, with its name and the extension .wid or .WID: gioco.wid for
// gioco.tbl.
std::optional<QString> widthFileBeside(const QFileInfo& table) {
    for (const char* extension : {".wid", ".WID"}) {
        const QString path =
            table.absoluteDir().filePath(table.completeBaseName() + QLatin1String(extension));
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return std::nullopt;
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

    for (const Box box : kBoxes) {
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
    const QDir folder = file.absoluteDir();
    enterTableFolder(folder.absolutePath());
    ui_.tableName->setText(file.fileName());

    // One read serves both readers: the one-byte table that typing goes through, and the byte
    // line under the difference, which reads the same bytes as the common table format (codes
    // of several bytes, entries of several characters). A table that cannot be read, or ends
    // inside an entry, still turns table mode on with whatever the table holds now.
    // A table in UTF-16 (by its byte order mark) is read as its text in UTF-8, by both.
    std::optional<QByteArray> bytes = readWholeFile(file.absoluteFilePath());
    if (bytes) {
        *bytes = storage::utf8Text(*bytes);
    }
    const std::string_view view =
        bytes ? std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size()))
              : std::string_view();
    const QString loadDump = folder.filePath(QLatin1String(kLoadDump));
    if (!bytes) {
        qWarning("tavrel-counter: cannot read the table %s", qUtf8Printable(*chosen));
    } else if (table_.parse(view, storage::typingTableDecoder(view)) ==
               CharTable::LoadStatus::ReadPastEnd) {
        qWarning("tavrel-counter: the table %s ends inside an entry; the entries before the end "
                 "are in use and %s was not written",
                 qUtf8Printable(*chosen), qUtf8Printable(loadDump));
    } else {
        storage::writeTableDump(table_, loadDump); // a dump that fails is not the load's failure
    }
    if (bytes && byteMeter_.load(*bytes)) {
        for (const Box box : kBoxes) {
            byteMeter_.setText(box, ui_.block(box).box->text());
        }
    } else {
        byteMeter_.clear();
    }
    showBytes();
    loadWidthFile(file);

    setTableMode(true);
    // Checked by the program: the check box acts only when the focus leaves it.
    ui_.tableCheck->setChecked(true);
    const QString choiceDump = folder.filePath(QLatin1String(kChoiceDump));
    if (!storage::writeTableDump(table_, choiceDump)) {
        qWarning("tavrel-counter: cannot write %s", qUtf8Printable(choiceDump));
    }
}

// The screen line: with the table's width file, which lies beside it with the table's name and
// the extension .wid (gioco.tbl, gioco.wid). Without one, without a table the byte line can
// use, or with a width file that cannot be used, the window is as designed; why the file
// cannot be used shows in the tool tip of the table's name. When the width file names a font,
// the box preview joins under the buttons; a sheet that cannot serve leaves the screen line
// and gives no preview, and the tool tip says why.
void MainWindow::loadWidthFile(const QFileInfo& table) {
    const std::optional<QString> path =
        byteMeter_.isLoaded() ? widthFileBeside(table) : std::nullopt;
    std::optional<QByteArray> bytes = path ? readWholeFile(*path) : std::nullopt;
    if (bytes) {
        *bytes = storage::utf8Text(*bytes);
    }
    if (path && !bytes) {
        qWarning("tavrel-counter: cannot read the width file %s", qUtf8Printable(*path));
    }
    std::optional<screen::WidthFileRead> read;
    if (bytes) {
        read = screen::WidthFile::read(
            std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    }
    std::optional<QString> problem;
    if (read && read->error) {
        problem = QString::fromStdString(read->error->message());
    }
    preview_.clear(ui_);
    if (read && !read->error) {
        const screen::WidthFile& widths = read->file;
        if (widths.skippedLines > 0 || widths.unknownKeys > 0) {
            qWarning("tavrel-counter: the width file %s: lines not understood: %zu, unknown @ "
                     "keys: %zu; the rest is in use",
                     qUtf8Printable(*path), widths.skippedLines, widths.unknownKeys);
        }
        screenMeter_.load(byteMeter_.table(), std::move(read->file));
        for (const Box box : kBoxes) {
            screenMeter_.setText(box, ui_.block(box).box->text());
        }
        // The font's sheet is read only when the width file names one.
        if (screenMeter_.widths().fontSheet) {
            problem = preview_.load(*path, screenMeter_.widths());
        }
    } else {
        screenMeter_.clear();
    }
    ui_.tableName->setToolTip(
        problem ? QFileInfo(*path).fileName() + QStringLiteral(": ") + *problem : QString());
    // The codes line comes with the table, not with typing, so the window keeps its size
    // while the translator types.
    byteMeter_.setBoxCodes(screenMeter_.isLoaded() ? screenMeter_.widths().boxCodes
                                                   : std::set<std::string>{},
                           PerBox<QString>{{ui_.block(Box::Original).box->text(),
                                            ui_.block(Box::Translation).box->text()}});
    showDifferenceRows(ui_, screenMeter_.isLoaded(), byteMeter_.holdsCodes());
    if (screenMeter_.isLoaded()) {
        showScreen();
        showPreview();
    }
    showCodes();
}

void MainWindow::applyTableCheckBox() {
    // The table stays loaded either way, ready for the next switch on.
    setTableMode(ui_.tableCheck->isChecked());
}

void MainWindow::setTableMode(bool on) {
    tableMode_ = on;
    for (const TextBlockControls& block : ui_.blocks.items) {
        block.box->setLocked(on);
    }
}

void MainWindow::handleTableKey(Box box, const tablekeys::TableKey& key) {
    // Not loaded: an event reaching the box of a window being unloaded.
    if (!tableMode_ || !isLoaded()) {
        return;
    }
    // The snapshot comes first, also for a key that then changes nothing.
    const edit::BoxState before = boxState(box);
    undo_ = edit::UndoSnapshot{before.text, before.selectionStart};
    const auto holds = [this](const QString& character) {
        return table_.holds(storage::utf16View(character));
    };
    if (const std::optional<edit::BoxState> after = tablekeys::applyTableKey(before, key, holds)) {
        // The box's change notification recounts it.
        writeBox(box, *after);
    }
}
