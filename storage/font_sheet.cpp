#include "storage/font_sheet.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <cstring>
#include <string>

namespace storage {

std::optional<boxpicture::FontSheet>
readFontSheet(const QString& widthFilePath, const screen::WidthFile& widths, QString& error) {
    const std::string& written = widths.fontSheet.value_or(std::string());
    const QString path = QFileInfo(widthFilePath).dir().filePath(QString::fromStdString(written));
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) {
        error = QStringLiteral("@font: cannot read ") + QString::fromStdString(written);
        return std::nullopt;
    }
    image.convertTo(QImage::Format_ARGB32);
    boxpicture::Pixels pixels;
    pixels.width = static_cast<std::uint32_t>(image.width());
    pixels.height = static_cast<std::uint32_t>(image.height());
    pixels.argb.resize(std::size_t{pixels.width} * pixels.height);
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(&pixels.argb[std::size_t{pixels.width} * static_cast<std::size_t>(y)],
                    image.constScanLine(y), std::size_t{pixels.width} * 4);
    }
    std::string message;
    std::optional<boxpicture::FontSheet> sheet =
        boxpicture::FontSheet::use(widths, std::move(pixels), message);
    if (!sheet) {
        error = QString::fromStdString(message);
    }
    return sheet;
}

QImage toImage(const boxpicture::Pixels& pixels) {
    QImage image(static_cast<int>(pixels.width), static_cast<int>(pixels.height),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(image.scanLine(y),
                    &pixels.argb[std::size_t{pixels.width} * static_cast<std::size_t>(y)],
                    std::size_t{pixels.width} * 4);
    }
    return image;
}

QImage imageOf(const boxpicture::Pixels& pixels) {
    // 0xAARRGGBB words are Qt's 32-bit layout; every pixel of a picture is opaque.
    return QImage(reinterpret_cast<const uchar*>(pixels.argb.data()),
                  static_cast<int>(pixels.width), static_cast<int>(pixels.height),
                  static_cast<qsizetype>(pixels.width) * 4, QImage::Format_RGB32);
}

bool writePng(const boxpicture::Pixels& pixels, const QString& path) {
    return toImage(pixels).save(path, "PNG");
}

} // namespace storage
