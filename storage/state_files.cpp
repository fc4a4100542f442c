#include "storage/state_files.h"

#include <cmath>
#include <utility>

namespace storage {

namespace {

// Room for the main window's frame between it and the Fast Counter.
constexpr int fastGapPixels = 16;

// The default floating-point rounding mode rounds half to even.
int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

std::array<int, positionLineCount> defaultPositionsTwips(QSize mainWindowTwips,
                                                         const QRect& availableScreen,
                                                         double twipsPerPixelX,
                                                         double twipsPerPixelY) {
    const int widthPixels = roundHalfEven(mainWindowTwips.width() / twipsPerPixelX);
    const int heightPixels = roundHalfEven(mainWindowTwips.height() / twipsPerPixelY);
    const int left = availableScreen.x() + (availableScreen.width() - widthPixels) / 2;
    const int top = availableScreen.y() + (availableScreen.height() - heightPixels) / 2;
    const int mainLeft = roundHalfEven(left * twipsPerPixelX);
    const int mainTop = roundHalfEven(top * twipsPerPixelY);
    const int fastLeft =
        mainLeft + mainWindowTwips.width() + roundHalfEven(fastGapPixels * twipsPerPixelX);
    return {mainLeft, mainTop, fastLeft, mainTop, mainLeft, mainTop};
}

StateFiles::StateFiles(QString folder, Defaults defaults, Report report)
    : folder_(std::move(folder)), defaults_(std::move(defaults)), report_(std::move(report)) {}

QString StateFiles::positionFilePath() const {
    return folder_ + QStringLiteral("/cord");
}

QString StateFiles::textFilePath() const {
    return folder_ + QStringLiteral("/test");
}

PositionFile StateFiles::readPositions() const {
    const QString path = positionFilePath();
    PositionFile file = PositionFile::read(path);
    reportAll(file.problems());
    if (!file.existed()) {
        file.fillUnreadable(defaults_());
        reportIfFailed(file.write(path));
    }
    return file;
}

TextLines StateFiles::readTexts() const {
    const QString path = textFilePath();
    TextLines lines = readTextFile(path);
    reportAll(lines.problems);
    if (!lines.existed) {
        reportIfFailed(writeTextFile(path, QString(), QString()));
    }
    return lines;
}

void StateFiles::savePosition(PositionLine left, int leftTwips, int topTwips) const {
    const QString path = positionFilePath();
    PositionFile file = PositionFile::read(path);
    reportAll(file.problems());
    file.setTwips(left, leftTwips);
    file.setTwips(static_cast<PositionLine>(left + 1), topTwips);
    file.fillUnreadable(defaults_());
    reportIfFailed(file.write(path));
}

void StateFiles::saveTexts(const QString& orig, const QString& trans) const {
    reportIfFailed(writeTextFile(textFilePath(), orig, trans));
}

int StateFiles::defaultTwips(PositionLine line) const {
    return defaults_()[static_cast<std::size_t>(line)];
}

void StateFiles::reportAll(const QStringList& problems) const {
    // An empty reporter means the caller wants no reports, not a call that cannot be made.
    if (!report_) {
        return;
    }
    for (const QString& problem : problems) {
        report_(problem);
    }
}

void StateFiles::reportIfFailed(const SaveResult& save) const {
    if (!save.saved()) {
        reportAll({save.problem()});
    }
}

} // namespace storage
