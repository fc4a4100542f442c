// Build-time tool: rasterises an SVG picture at the pixel sizes given, so that the program
// copies ready-made pixels at start-up instead of parsing and rendering SVG.
//
//     render_pictures [--png] <picture.svg> <output folder> <name> <size> [<size> ...]
//
// A size is "<width>x<height>" or, for a square, one number. For every size the tool writes
// <name>-<width>x<height>.argb (the layout read by platform/widgets/ready_picture.h) and, with
// --png, <name>-<width>x<height>.png as well (the installed icon theme wants PNGs). It exits
// non-zero when the SVG cannot be read or a file cannot be written, so a broken picture stops
// the build.
#include "platform/widgets/ready_picture.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <optional>

namespace {

std::optional<QSize> parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() > 2) {
        return std::nullopt;
    }
    bool widthOk = false;
    bool heightOk = false;
    const int width = parts.front().toInt(&widthOk);
    const int height = parts.back().toInt(&heightOk);
    if (!widthOk || !heightOk || width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        return std::nullopt;
    }
    return QSize(width, height);
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    const bool png = argc > 1 && QByteArray(argv[1]) == "--png";
    first += png ? 1 : 0;
    if (argc - first < 4) {
        std::fprintf(stderr, "usage: render_pictures [--png] <picture.svg> <output folder> "
                             "<name> <size>...\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[first]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_pictures: cannot read %s\n", argv[first]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[first + 1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "render_pictures: cannot create %s\n", argv[first + 1]);
        return 1;
    }
    const QString name = QString::fromLocal8Bit(argv[first + 2]);
    for (int i = first + 3; i < argc; ++i) {
        const std::optional<QSize> size = parseSize(QString::fromLocal8Bit(argv[i]));
        if (!size) {
            std::fprintf(stderr, "render_pictures: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(*size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), *size));
        painter.end();
        const QString base = folder.filePath(
            QStringLiteral("%1-%2x%3").arg(name).arg(size->width()).arg(size->height()));
        if (!platform::writeReadyPicture(image, base + QStringLiteral(".argb")) ||
            (png && !image.save(base + QStringLiteral(".png"), "PNG"))) {
            std::fprintf(stderr, "render_pictures: cannot write %s\n", qPrintable(base));
            return 1;
        }
    }
    return 0;
}
