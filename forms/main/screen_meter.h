#pragma once

#include "core/screen_widths.h"
#include "forms/box.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>

// Whether the translation fits on the game's screen, under the width file that lies beside the
// chosen table: the line "Pixel: <widest line> / <@line>   Righe: <lines of the fullest box> /
// <@lines>" of the main window, its colours and its tool tip. Each text is measured again only
// when it changes.
class ScreenMeter final {
public:
    struct Look {
        QString pixels;      // "Pixel: 150 / 144", "Pixel: 150 / -" without a room per line
        QColor pixelsColour; // red over the room, green within it or without one
        QString lines;       // "Righe: 4 / 3", "Righe: 4 / -" without lines per box
        QColor linesColour;
        QString toolTip; // each line's width of both texts
    };

    // Measures with `widths` and `table`, which the meter keeps; both texts start empty.
    void load(std::shared_ptr<const encoding::TableEncoding> table, screen::WidthFile widths);
    void clear();
    bool isLoaded() const { return screen_.has_value(); }
    // The file read by the last load; only while loaded.
    const screen::WidthFile& widths() const { return screen_->widths(); }
    // The measure of the last load; only while loaded.
    const screen::ScreenMeasure& screen() const { return *screen_; }

    // Measures one text again after it changed.
    void setText(Box which, const QString& text);

    Look look() const;

private:
    std::shared_ptr<const encoding::TableEncoding> table_; // the measure refers to it
    std::optional<screen::ScreenMeasure> screen_;
    PerBox<screen::TextMeasure> measures_;
};
