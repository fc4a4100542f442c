#pragma once

#include <QColor>
#include <QString>

class QCheckBox;
class QFont;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

// The controls of the windows' designs, placed in twips from the top-left corner of their
// container and drawn in the program's palette: black backgrounds, coloured captions.
namespace platform {

// The one font of every caption: a compact sans face, so that every caption fits the
// room the design gives it.
QFont designFont();

// A window of the given client size in twips, black, in the design font.
void setUpWindow(QWidget* window, const QString& caption, int widthTwips, int heightTwips);

// A caption starts at its design position and may extend to the right, into free space,
// so that it is never clipped.
QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                 int left, int top, int width, int height);

// The same, taking the mouse: for captions that act when pressed.
class ClickableLabel;
ClickableLabel* addClickableLabel(QWidget* parent, const QString& name, const QString& caption,
                                  const QColor& colour, int left, int top, int width, int height);

// A frame without caption: it groups controls and can hide them together.
QFrame* addFrame(QWidget* parent, const QString& name, int left, int top, int width, int height);

// A single-line text box, black with white text, at most 32767 characters.
class TextBox;
TextBox* addTextBox(QWidget* parent, const QString& name, int left, int top, int width, int height);

QCheckBox* addCheckBox(QWidget* parent, const QString& name, const QString& caption,
                       const QColor& colour, int left, int top, int width, int height);

// Sets a label's caption colour.
void setCaptionColour(QLabel* label, const QColor& colour);
QColor captionColour(const QLabel* label);

// Sets a text box's text colour.
void setTextColour(QLineEdit* box, const QColor& colour);
QColor textColour(const QLineEdit* box);

} // namespace platform
