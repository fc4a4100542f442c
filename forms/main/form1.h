#pragma once

#include "forms/main/edit_commands.h"
#include "platform/form.h"

#include <QString>

#include <cstdint>
#include <optional>

class QLabel;
class QMenu;
class WatchLoop;

namespace platform {
class OpenFileDialog;
class PressedLookPair;
class TextBox;
} // namespace platform

namespace tablekeys {
struct TableKey;
} // namespace tablekeys

// The main window: two text blocks with live counts, the difference line, the table block,
// the picture buttons and, underneath the working face, the about face.
class Form1 final : public platform::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    Form1();
    ~Form1() override;

    void setFastCounter(platform::Form* fastCounter) { fastCounter_ = fastCounter; }
    void setWatchLoop(WatchLoop* loop) { watchLoop_ = loop; }
    // The dialog of CARICA TABLE; without one, Qt's file dialog.
    void setOpenFileDialog(platform::OpenFileDialog* dialog) { openFileDialog_ = dialog; }

    // Window-level variables. The lengths are those of the last recount; the undo snapshot
    // is one for both boxes and is unset at every load.
    std::int16_t LenText1 = 0;
    std::int16_t LenText2 = 0;
    std::int16_t TableOn = 0; // -1 (all bits set) is table mode
    std::optional<QString> UndoText;
    std::optional<std::int32_t> UndoCaret;
    QString PasteText;

    void Form_Unload() override;

protected:
    QWidget* createWindow() override;
    void Form_Load() override;
    void closeRequested() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Box { First, Second };

    void wireControls(QWidget* window);

    void Text1_Change();
    void Text2_Change();
    void FliP();
    void FliP2();
    void recount(Box box);
    void showDifference();

    void mioloop();

    // Pop-up menus of the boxes.
    void boxMouseDown(Box box, Qt::MouseButton button, QPoint globalPos);
    void undoClicked(Box box);
    void cutClicked(Box box);
    void copyClicked(Box box);
    void pasteClicked(Box box);
    void deleteClicked(Box box);
    void selectAllClicked(Box box);
    edit::BoxState boxState(Box box);
    void writeBox(Box box, const edit::BoxState& state);

    // Picture buttons and the about face.
    void ab1_MouseDown();
    void ab1_MouseUp();
    void esc1_MouseDown();
    void esc1_MouseUp();
    void imTBL1_MouseDown();
    void imTBL1_MouseUp();
    void back1_MouseDown();
    void back1_MouseUp();
    void url_Click();

    // Table choice, lock and table-aware keys (form1_table.cpp).
    void wireTable(QWidget* window);
    void chooseTable();
    void Check1_Validate();
    void lockBoxes(bool locked);
    void tableKey(Box box, const tablekeys::TableKey& key);
    platform::OpenFileDialog& tableDialog();

    platform::TextBox* textBox(Box box);
    QMenu* menu(Box box);
    QString suffix(Box box) const;
    void setVisible(const QString& name, bool visible);

    platform::Form* fastCounter_ = nullptr;
    WatchLoop* watchLoop_ = nullptr;
    platform::OpenFileDialog* openFileDialog_ = nullptr;
};
