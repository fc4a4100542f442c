#pragma once

#include "core/box_picture.h"
#include "core/check_engine.h"
#include "fit/fit_options.h"

#include <QString>

#include <functional>
#include <optional>

// --preview and --preview-all: the pictures of the translations, one PNG an item.
namespace fit {

struct Preview {
    QString folder;
    bool all = false; // every translated item, not only those that fail
    boxpicture::FontSheet sheet;
};

// The sheet that the width file at options.widths names, and the folder, made when missing.
// Nothing when no picture is asked for, or, with `error` set, when the width file names no
// font, the sheet cannot serve or the folder cannot be made.
std::optional<Preview> preparePreview(const FitOptions& options, const screen::WidthFile& widths,
                                      QString& error);

// Writes into the preview's folder the picture of each translated item that fails (or of every
// one), laid out by `screen`, named name(index of the item) ("line-3.png"). False, with
// `error` set, when a picture could not be made or written.
bool writePreviews(const Preview& preview, const screen::ScreenMeasure& screen,
                   const std::vector<check::Item>& items, const check::Check& check,
                   const std::function<QString(std::size_t)>& name, QString& error);

} // namespace fit
