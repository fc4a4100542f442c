#pragma once

#include <QPoint>
#include <QRect>

// Window positions and sizes are kept in twips (1440 per logical inch, 15 per pixel at
// 96 dots per inch), as in the position file; on screen Qt works in logical pixels.
namespace platform {

double twipsPerPixelX();
double twipsPerPixelY();

int pixelsFromTwipsX(double twips);
int pixelsFromTwipsY(double twips);
int twipsFromPixelsX(int pixels);
int twipsFromPixelsY(int pixels);

QRect rectFromTwips(int left, int top, int width, int height);
QPoint pointFromTwips(double left, double top);
QPoint twipsFromPixels(QPoint pixels);

} // namespace platform
