#include "platform/widgets/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kDefaultDpi = 96.0;

double dpi(bool horizontal) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return kDefaultDpi;
    }
    const double value = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return value > 0 ? value : kDefaultDpi;
}

// Rounds half to even, like the conversion of a twips value to a whole pixel.
int roundToPixel(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

double twipsPerPixelX() {
    return kTwipsPerInch / dpi(true);
}

double twipsPerPixelY() {
    return kTwipsPerInch / dpi(false);
}

int pixelsFromTwipsX(double twips) {
    return roundToPixel(twips / twipsPerPixelX());
}

int pixelsFromTwipsY(double twips) {
    return roundToPixel(twips / twipsPerPixelY());
}

int twipsFromPixelsX(int pixels) {
    return roundToPixel(pixels * twipsPerPixelX());
}

int twipsFromPixelsY(int pixels) {
    return roundToPixel(pixels * twipsPerPixelY());
}

QRect rectFromTwips(int left, int top, int width, int height) {
    return {pixelsFromTwipsX(left), pixelsFromTwipsY(top), pixelsFromTwipsX(width),
            pixelsFromTwipsY(height)};
}

QPoint pointFromTwips(double left, double top) {
    return {pixelsFromTwipsX(left), pixelsFromTwipsY(top)};
}

QPoint twipsFromPixels(QPoint pixels) {
    return {twipsFromPixelsX(pixels.x()), twipsFromPixelsY(pixels.y())};
}

} // namespace platform
