#pragma once

#include "core/box_picture.h"

#include <QImage>
#include <QString>

#include <optional>

// The box preview's files: the font sheet a width file names, read through QImage, and the
// pictures written as PNG.
namespace storage {

// The sheet of `widths` (which names a font), its path relative to the width file at
// `widthFilePath`. Nothing when it cannot serve; `error` then names the key at fault and the
// sheet as written: "@font: cannot read missing.png", "@cell 64x8 is larger than the sheet
// f.png (32x8)".
std::optional<boxpicture::FontSheet> readFontSheet(const QString& widthFilePath,
                                                   const screen::WidthFile& widths, QString& error);

// The picture as a QImage of its own pixels (no alpha: every pixel drawn is opaque).
QImage toImage(const boxpicture::Pixels& pixels);
// The picture's pixels seen as an image, without a copy: valid while `pixels` lives unchanged.
QImage imageOf(const boxpicture::Pixels& pixels);

// Writes the picture as an 8-bit RGB PNG; false when it could not be written.
bool writePng(const boxpicture::Pixels& pixels, const QString& path);

} // namespace storage
