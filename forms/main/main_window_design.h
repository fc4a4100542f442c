#pragma once

#include "forms/box.h"

#include <QSize>
#include <QString>

#include <array>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QWidget;

namespace platform {
class ClickableLabel;
class PressedLookPair;
class TextBox;
class WindowShell;
} // namespace platform

// One text block: the box, its four counts and its pop-up menu with the six commands.
struct TextBlockControls {
    platform::TextBox* box = nullptr;
    QLabel* characters = nullptr;
    QLabel* words = nullptr;
    QLabel* spaces = nullptr;
    QLabel* sentences = nullptr;
    QMenu* menu = nullptr;
    QAction* undo = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* remove = nullptr;
    QAction* selectAll = nullptr;
};

// The controls the main window works with, filled once where the design builds them.
struct MainWindowControls {
    platform::WindowShell* window = nullptr;
    PerBox<TextBlockControls> blocks;
    QFrame* workingFace = nullptr; // lies over the about face
    QLabel* differenceCaption = nullptr;
    QLabel* difference = nullptr;
    QLabel* plusSign = nullptr;
    // Under the difference while a table file is chosen: the texts' bytes and their difference.
    QLabel* bytes = nullptr;
    QLabel* byteDifference = nullptr;
    // Under the byte line while a width file lies beside the table: the translation's widest
    // line and the lines of its fullest box, each in its own colour.
    QLabel* pixels = nullptr;
    QLabel* screenLines = nullptr;
    // Under those while the table holds codes: "Codici: ok", or the first difference.
    QLabel* codes = nullptr;
    QFrame* differenceFrame = nullptr;
    // Under the ABOUT and ESCI buttons while the width file names a font: the box preview,
    // sized by its owner; none otherwise.
    QWidget* preview = nullptr;
    QFrame* tableFrame = nullptr;
    QCheckBox* tableCheck = nullptr;
    QLabel* tableName = nullptr;
    platform::PressedLookPair* about = nullptr;
    platform::PressedLookPair* exit = nullptr;
    platform::PressedLookPair* loadTable = nullptr;
    platform::PressedLookPair* back = nullptr;
    platform::ClickableLabel* homePage = nullptr;

    TextBlockControls& block(Box box) { return blocks[box]; }
};

// The main window's client area in twips; also where a first run centres it.
inline constexpr QSize kMainWindowTwips(4230, 5910);

// Rows of the difference frame, in twips from its top: the difference alone, as designed, or
// moved up to make room for the byte line under it.
inline constexpr int kDifferenceRowTop = 240;
inline constexpr int kDifferenceRowTopOverBytes = 45;
inline constexpr int kByteRowTop = 315;
// The screen line, one row under the byte line.
inline constexpr int kDifferenceRowPitch = kByteRowTop - kDifferenceRowTopOverBytes;
inline constexpr int kScreenRowTop = kByteRowTop + kDifferenceRowPitch;

// The main window's static design: every control named, placed in twips, in its colours and
// captions, hidden until the window is shown. Behaviour is wired by MainWindow.
MainWindowControls buildMainWindowDesign();

// Shows or hides the screen line and the codes line under the byte line, the codes line under
// the screen line when both show. Each shown line makes the difference frame one row taller, and
// the table frame, the buttons under it, the working face and the window's client area move or
// grow by that row; with neither, all of them are back at their design twips. The window keeps
// its top-left corner. The preview, when there is one, lies under the buttons, and the working
// face and the window grow by its height.
void showDifferenceRows(MainWindowControls& ui, bool screen, bool codes);

// The product's home page, shown on the about face and used by the packaging.
QString homePageAddress();
