#pragma once

#include "core/box_picture.h"

#include <QPointer>
#include <QString>

#include <optional>

class QScrollArea;
struct MainWindowControls;
class PicturePane;

// The translation's box as the game draws it, under the ABOUT and ESCI buttons, while the width
// file beside the chosen table names a font: the largest whole-number scale of screen pixels
// that fits the buttons' width, no smoothing, at most three boxes high and the rest reached by
// scrolling; the original's picture shows as its tool tip. Nothing of it exists until a width
// file names a font.
class BoxPreview final {
public:
    BoxPreview() = default;
    BoxPreview(const BoxPreview&) = delete;
    BoxPreview& operator=(const BoxPreview&) = delete;

    // Reads the font sheet of `widths`, which names one, relative to the width file at
    // `widthFilePath`; on failure nothing is shown and the message says why ("@font: cannot
    // read f.png").
    std::optional<QString> load(const QString& widthFilePath, const screen::WidthFile& widths);
    // Removes the picture from the window; the window's rows are laid out by the caller.
    void clear(MainWindowControls& ui);
    bool isLoaded() const { return sheet_.has_value(); }

    // Draws both texts again with `screen`, whose width file names the loaded font, and sets
    // ui.preview to the picture's area, sized; the caller lays out the window's rows.
    void show(MainWindowControls& ui, const screen::ScreenMeasure& screen,
              const QString& translation, const QString& original);

private:
    std::optional<boxpicture::FontSheet> sheet_;
    boxpicture::BoxPicture picture_; // the translation's, which the pane shows without a copy
    QPointer<QScrollArea> area_;
    QPointer<PicturePane> pane_;
};
