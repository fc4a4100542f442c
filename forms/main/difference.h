#pragma once

#include <QColor>
#include <QString>

// How the difference between the two texts is shown: the translation's length minus the
// original's, red with a "+" in front when the translation is longer, yellow when equal,
// green (with its own minus sign) when shorter.
struct DifferenceLook {
    QString caption;
    QColor colour;
    bool plusShown;
};

DifferenceLook differenceLook(int lenOriginal, int lenTranslation);
