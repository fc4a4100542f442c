#pragma once

#include "storage/position_file.h"
#include "storage/text_file.h"

#include <QPoint>
#include <QString>

#include <array>

// The two state files of the program's folder and where the windows open on a first run.

// Left and Top in twips, in the order of the position file's lines: the main window centred
// on the primary screen, the Fast Counter beside it on the right, the Mini Counter at the
// main window's place.
std::array<int, storage::positionLineCount> defaultPositionsTwips();

QString positionFilePath(); // the program's folder followed by "/cord"
QString textFilePath();     // the program's folder followed by "/test"

// The position file as it is; a missing one is first created with the defaults, so that a
// first run reads the defaults like any other positions.
storage::PositionFile readPositions();

// The text file as it is; a missing one is first created with two empty texts.
storage::TextLines readTexts();

// A window's unload: re-reads the position file, replaces the window's own two lines (`left`
// and the line after it) with its outer position, gives every other line that cannot be read
// its default and writes all six lines.
void savePosition(storage::PositionLine left, QPoint framePixels);

// The outer position in pixels for a position in twips; never clamped to the screen.
QPoint framePixels(int leftTwips, int topTwips);
