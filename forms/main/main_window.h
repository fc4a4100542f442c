#pragma once

#include "forms/main/box_preview.h"
#include "forms/main/byte_meter.h"
#include "forms/main/edit_commands.h"
#include "forms/main/main_window_design.h"
#include "forms/main/screen_meter.h"
#include "platform/widgets/managed_window.h"

#include <optional>

class CharTable;
class QFileInfo;

namespace platform {
class FileDialog;
class PressedLookPair;
} // namespace platform

namespace storage {
class StateFiles;
} // namespace storage

namespace tablekeys {
struct TableKey;
} // namespace tablekeys

// The main window: two text blocks with live counts, the difference line, the table block,
// the picture buttons and, underneath the working face, the about face.
class MainWindow final : public platform::ManagedWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(platform::ProgramRun& run, storage::StateFiles& files, CharTable& table,
               platform::FileDialog& tableDialog);
    ~MainWindow() override;

    // Table mode: both boxes locked, every key through the table. Off at every load.
    bool tableMode() const { return tableMode_; }
    // The text and caret before the last key of table mode; none since the last load until a
    // key is handled in table mode.
    const std::optional<edit::UndoSnapshot>& undoSnapshot() const { return undo_; }

Q_SIGNALS:
    // Around the modal open-file dialog: no pass of the watch loop may run inside it.
    void modalStarted();
    void modalFinished();

protected:
    platform::WindowShell* createWindow() override;
    void onLoad() override;
    void onUnload() override;

private:
    void wireControls();
    // Writes the window's position and both texts: its unload, and ESCI.
    void saveState();

    // Counters.
    void recount(Box box);
    void showDifference();
    void showBytes();
    void showScreen();
    void showCodes();
    void showPreview();

    // Pop-up menus of the boxes (main_window_menus.cpp).
    void prepareMenu(Box box, Qt::MouseButton button, QPoint globalPosition);
    void undo(Box box);
    void cut(Box box);
    void copy(Box box);
    void paste(Box box);
    void deleteSelection(Box box);
    void selectAll(Box box);
    edit::BoxState boxState(Box box);
    void writeBox(Box box, const edit::BoxState& state);

    // Picture buttons and the about face (main_window_buttons.cpp).
    void wirePictureButton(platform::PressedLookPair* button, void (MainWindow::*action)());
    void openAboutFace();
    void closeAboutFace();
    void saveAndExit();
    void copyHomePageAddress();

    // Table choice, lock and table-aware keys (main_window_table.cpp).
    void wireTable();
    void chooseTable();
    void loadWidthFile(const QFileInfo& table);
    void applyTableCheckBox();
    void setTableMode(bool on);
    void handleTableKey(Box box, const tablekeys::TableKey& key);

    storage::StateFiles& files_;
    CharTable& table_;
    platform::FileDialog& tableDialog_;
    MainWindowControls ui_;
    ByteMeter byteMeter_;     // while a table file is chosen
    ScreenMeter screenMeter_; // while a width file lies beside it
    BoxPreview preview_;      // while that width file names a font

    int lengthOriginal_ = 0;
    int lengthTranslation_ = 0;
    bool tableMode_ = false;
    std::optional<edit::UndoSnapshot> undo_;
};
