#pragma once

class QWidget;

// The main window's static design: every control named, placed in twips, in its colours
// and captions, hidden until the window is shown. Behaviour is wired by Form1.
QWidget* buildForm1Design();

// The product's home page, shown on the about face and used by the packaging.
extern const char* const kHomePage;
