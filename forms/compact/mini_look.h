#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

// What the Mini Counter shows of its two texts: the difference in characters in its caption,
// the translation coloured by it, and the counts of a box in its tool tip.
struct MiniLook {
    QString caption;          // "Mini Counter [+2]", "Mini Counter [0]", "Mini Counter [-3]"
    QColor translationColour; // green when shorter, gold when equal, red when longer
};

MiniLook miniLook(std::int32_t lenOriginal, std::int32_t lenTranslation);

// "Spazi:1 Parole:2 Frasi:1" for "Ciao mondo.".
QString countsToolTip(const QString& text);
