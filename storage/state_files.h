#pragma once

#include "storage/position_file.h"
#include "storage/text_file.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

// The two state files of the program's folder and where the windows open on a first run.
namespace storage {

// Left and Top in twips, in the order of the position file's lines: the main window (client
// area `mainWindowTwips`, as its design gives it) centred on `availableScreen` (in pixels), the
// Fast Counter beside it on the right with 16 pixels of room between, the Mini Counter at the
// main window's place. Pixels and twips convert by rounding half to even:
// pixels = twips / twipsPerPixel, twips = pixels * twipsPerPixel.
std::array<int, positionLineCount> defaultPositionsTwips(QSize mainWindowTwips,
                                                         const QRect& availableScreen,
                                                         double twipsPerPixelX,
                                                         double twipsPerPixelY);

class StateFiles final {
public:
    // Asked only when a default is needed, since working them out asks about the screen.
    using Defaults = std::function<std::array<int, positionLineCount>()>;
    // Storage never prints; the application decides where problems go (stderr).
    using Report = std::function<void(const QString& problem)>;

    explicit StateFiles(QString folder, Defaults defaults, Report report);

    const QString& folder() const { return folder_; }
    QString positionFilePath() const; // folder() followed by "/cord"
    QString textFilePath() const;     // folder() followed by "/test"

    // The position file as it is; a missing one is first created with the defaults, so that a
    // first run reads the defaults like any other positions. Problems go to the reporter.
    PositionFile readPositions() const;

    // The text file as it is; a missing one is first created with two empty texts.
    TextLines readTexts() const;

    // A window's unload: re-reads the position file, replaces the window's own two lines (`left`
    // and the line after it), gives every other line that cannot be read its default and writes
    // all six.
    void savePosition(PositionLine left, int leftTwips, int topTwips) const;

    void saveTexts(const QString& orig, const QString& trans) const;

    // The default of one line (for a line that cannot be read).
    int defaultTwips(PositionLine line) const;

private:
    void reportAll(const QStringList& problems) const;
    void reportIfFailed(const SaveResult& save) const;

    QString folder_;
    Defaults defaults_;
    Report report_;
};

} // namespace storage
