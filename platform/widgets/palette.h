#pragma once

#include <QColor>

// The colours every window is drawn with.
namespace palette {

inline const QColor kBlack{0, 0, 0};
inline const QColor kWhite{255, 255, 255};
inline const QColor kRed{255, 0, 0};           // block titles, the difference caption
inline const QColor kGold{236, 200, 32};       // field captions
inline const QColor kLightBlue{128, 128, 255}; // counter values
inline const QColor kYellow{255, 255, 0};      // equal lengths
inline const QColor kGreen{0, 255, 0};         // a shorter translation
inline const QColor kFrameLine{70, 70, 70};    // the thin line around frames and boxes

} // namespace palette
