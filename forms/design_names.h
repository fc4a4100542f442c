#pragma once

#include "forms/box.h"

// The objectNames of the windows and of the controls that the program's code, its tests and
// assistive technology reach: the names of the design. The design code names its controls from
// here and the tests find them from here, so a control renamed in one place is renamed in both.
// Labels that only show their design caption keep their names beside it in the design code.
namespace names {

using Name = const char*; // UTF-8
using BoxNames = PerBox<Name>;

inline constexpr Name kMainWindow = "Form1";
inline constexpr Name kFastCounter = "Form2";
inline constexpr Name kMiniCounter = "Form3";
inline constexpr Name kFastModeHost = "Form4";

// The main window's text blocks and the Mini Counter's boxes.
inline constexpr BoxNames kBox{{"Text1", "Text2"}};
inline constexpr BoxNames kBlock{{"Frame3", "Frame4"}};
inline constexpr BoxNames kCharacters{{"car1", "car2"}};
inline constexpr BoxNames kWords{{"par1", "par2"}};
inline constexpr BoxNames kSpaces{{"spa1", "spa2"}};
inline constexpr BoxNames kSentences{{"fra1", "fra2"}};
// A box's pop-up menu and its commands.
inline constexpr BoxNames kMenu{{"m0", "m1"}};
inline constexpr BoxNames kUndo{{"mAnn", "mAnn2"}};
inline constexpr BoxNames kCut{{"mCut", "mCut2"}};
inline constexpr BoxNames kCopy{{"mCopy", "mCopy2"}};
inline constexpr BoxNames kPaste{{"mInc", "mInc2"}};
inline constexpr BoxNames kDelete{{"mDel", "mDel2"}};
inline constexpr BoxNames kSelectAll{{"mSelT", "mSelT2"}};

// The main window's difference, byte and screen lines and table block.
inline constexpr Name kDifferenceCaption = "Label3";
inline constexpr Name kDifference = "differ";
inline constexpr Name kPlusSign = "labpiù";
inline constexpr Name kBytes = "labByte";
inline constexpr Name kByteDifference = "byteDiffer";
// Under the byte line while a width file lies beside the table: the translation's widest line
// and the lines of its fullest box, each against its limit.
inline constexpr Name kPixels = "labPixel";
inline constexpr Name kScreenLines = "labRighe";
// Under those while the table holds codes: whether the translation keeps the original's.
inline constexpr Name kCodes = "labCodici";
inline constexpr Name kTableCheck = "Check1";
inline constexpr Name kTableName = "nTBL";

// A picture button: the container that takes the mouse, its normal and its pressed look.
struct PictureButton {
    Name pair;
    Name normal;
    Name pressed;
};
inline constexpr PictureButton kAbout{"abPair", "ab1", "ab2"};
inline constexpr PictureButton kExit{"escPair", "esc1", "esc2"};
inline constexpr PictureButton kLoadTable{"imTBLPair", "imTBL1", "imTBL2"};
inline constexpr PictureButton kBack{"backPair", "back1", "back2"};

inline constexpr Name kWorkingFace = "Frame1";
inline constexpr Name kHomePage = "url";

// The Fast Counter: the count, and the margin whose presses switch modes or end the program.
inline constexpr Name kCount = "cont";
inline constexpr Name kMargin = "Label2";

} // namespace names
