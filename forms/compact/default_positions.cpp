#include "forms/compact/default_positions.h"

#include "platform/program_folder.h"
#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// The main window's client area in twips.
constexpr int kMainWidth = 4230;
constexpr int kMainHeight = 5910;
// Room for the main window's frame between it and the Fast Counter.
constexpr int kFastGapPixels = 16;

} // namespace

std::array<int, storage::positionLineCount> defaultPositionsTwips() {
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screen = primary->availableGeometry();
    }
    const int left = screen.x() + (screen.width() - platform::pixelsFromTwipsX(kMainWidth)) / 2;
    const int top = screen.y() + (screen.height() - platform::pixelsFromTwipsY(kMainHeight)) / 2;
    const int mainLeft = platform::twipsFromPixelsX(left);
    const int mainTop = platform::twipsFromPixelsY(top);
    const int fastLeft = mainLeft + kMainWidth + platform::twipsFromPixelsX(kFastGapPixels);
    return {mainLeft, mainTop, fastLeft, mainTop, mainLeft, mainTop};
}

QString positionFilePath() {
    return platform::programFolder() + QStringLiteral("/cord");
}

QString textFilePath() {
    return platform::programFolder() + QStringLiteral("/test");
}

storage::PositionFile readPositions() {
    const QString path = positionFilePath();
    storage::PositionFile file = storage::PositionFile::read(path);
    if (!file.existed()) {
        file.fillUnreadable(defaultPositionsTwips());
        file.write(path);
    }
    return file;
}

storage::TextLines readTexts() {
    const QString path = textFilePath();
    storage::TextLines lines = storage::readTextFile(path);
    if (!lines.existed) {
        storage::writeTextFile(path, QString(), QString());
    }
    return lines;
}

void savePosition(storage::PositionLine left, QPoint framePixels) {
    const QString path = positionFilePath();
    storage::PositionFile file = storage::PositionFile::read(path);
    file.setTwips(left, platform::twipsFromPixelsX(framePixels.x()));
    file.setTwips(static_cast<storage::PositionLine>(left + 1),
                  platform::twipsFromPixelsY(framePixels.y()));
    file.fillUnreadable(defaultPositionsTwips());
    file.write(path);
}

QPoint framePixels(int leftTwips, int topTwips) {
    return platform::pointFromTwips(leftTwips, topTwips);
}
