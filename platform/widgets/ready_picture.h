#pragma once

#include <QImage>
#include <QString>

// Pictures as ready-made pixels, rendered from their SVG at build time: copying them costs
// next to nothing at start-up, where decoding a PNG or rendering the SVG does not.
//
// The layout: the 4 bytes "ARGB", the width and the height as 32-bit little-endian numbers
// (1 to 4096 each), then width × height premultiplied ARGB pixels, each a 32-bit
// little-endian number, row after row.
namespace platform {

// The picture at `path`; a null image when the file is missing, short, too long, or not in
// this layout.
QImage readReadyPicture(const QString& path);

// Writes `image` at `path` in this layout; false when it cannot.
bool writeReadyPicture(const QImage& image, const QString& path);

} // namespace platform
