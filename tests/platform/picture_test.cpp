#include "platform/widgets/picture.h"
#include "platform/widgets/ready_picture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The letters, the only part of a bar with green in it, at a device pixel ratio of 2; their
// shadow, darker than any bar, one pixel below and to the right of them.
TEST(PictureTest, PressedBarMovesItsLettersOnePixelDownAndRight) {
    QRect letters[2];
    for (const bool pressed : {false, true}) {
        QImage image(280, 70, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::black);
        QPainter painter(&image);
        platform::paintButtonBar(painter, {0, 0, 140, 35}, QStringLiteral("INDIETRO"), pressed);
        painter.end();
        EXPECT_TRUE(!pressed || qRed(image.pixel(4, 42)) == 72); // the pressed bar's shade at 60%
        const auto bounds = [&](const auto& holds) {
            QRect found;
            for (int i = 0; i < image.width() * image.height(); ++i) {
                const QPoint at(i % image.width(), i / image.width());
                found |= holds(image.pixel(at), at) ? QRect(at, at) : QRect();
            }
            return found;
        };
        const QRect ink = letters[pressed] = bounds([](QRgb c, auto) { return qGreen(c) >= 20; });
        const QRect shadow = bounds([&](QRgb c, QPoint at) {
            return qGreen(c) == 0 && qRed(c) <= 30 && ink.adjusted(-6, -6, 6, 6).contains(at);
        });
        EXPECT_TRUE(shadow.left() > ink.left() && shadow.top() > ink.top() &&
                    shadow.right() >= ink.right() && shadow.bottom() > ink.bottom());
    }
    ASSERT_GT(letters[0].height(), 22); // capitals of an 18-pixel face at twice the density
    EXPECT_EQ(letters[1], letters[0].translated(2, 2));
}

TEST(PictureTest, AppIconHasEverySizeAWindowManagerAsksFor) {
    const QIcon icon = platform::appIcon(QStringLiteral(TAVREL_PICTURE_DIR));
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    for (const int side : {16, 20, 64, 100}) { // sizes between and beyond are scaled
        EXPECT_EQ(icon.pixmap(side).size(), QSize(side, side));
    }
    EXPECT_TRUE(platform::appIcon(QStringLiteral(TAVREL_PICTURE_DIR "/missing")).isNull());
}

// "ARGB", the width, the height, then the pixels; anything else reads as no picture.
TEST(PictureTest, ReadyPictureReadsBackAndRefusesDamagedFiles) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("p.argb"));
    QImage image(3, 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgba(0, 0, 0, 0));
    image.setPixel(2, 1, qRgba(10, 20, 30, 40));
    for (const QImage& picture : {image.scaled(4096, 1), image.scaled(1, 4096), image}) {
        ASSERT_TRUE(platform::writeReadyPicture(picture, path));
        EXPECT_EQ(platform::readReadyPicture(path), picture);
    }
    EXPECT_FALSE(platform::writeReadyPicture(QImage(), path) ||
                 platform::writeReadyPicture(image.scaled(4097, 1), path) ||
                 platform::writeReadyPicture(image.scaled(1, 4097), path));
    QFile file(path); // as the last good write left it: pixels are little-endian 0xAARRGGBB
    const QByteArray good = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    EXPECT_EQ(good,
              QByteArray("ARGB\x03\0\0\0\x02\0\0\0", 12) + QByteArray(20, 0) + "\x1E\x14\x0A\x28");
    const QByteArray zeroWidth = good.left(12).replace(4, 4, QByteArray(4, 0)); // no pixels
    const QByteArray tooTall = good.left(12).replace(8, 2, "\x01\x10") + QByteArray(4097 * 12, 0);
    for (const QByteArray& bad :
         {good.left(11), good.chopped(1), good + 'x', "ARGX" + good.mid(4), zeroWidth, tooTall}) {
        QSaveFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write(bad) && damaged.commit());
        EXPECT_TRUE(platform::readReadyPicture(path).isNull()) << bad.size();
    }
}

// The build's renderings of the banner are the SVG's own pixels, and a picture paints its
// ready-made rendering only at exactly that size.
TEST(PictureTest, SvgPicturePaintsItsReadyRenderingAtItsSize) {
    const QString banner = QStringLiteral(TAVREL_SOURCE_DIR "/assets/banner.svg");
    const QString ready = QStringLiteral(TAVREL_PICTURE_DIR "/banner-%1x%2.argb");
    QSvgRenderer svg(banner);
    for (const QSize size : {QSize(195, 44), QSize(390, 88)}) {
        QImage rendered(size, QImage::Format_ARGB32_Premultiplied);
        rendered.fill(Qt::transparent);
        QPainter painter(&rendered);
        svg.render(&painter);
        painter.end();
        EXPECT_EQ(platform::readReadyPicture(ready.arg(size.width()).arg(size.height())), rendered);
    }
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(banner, folder.filePath(QStringLiteral("b.svg"))));
    QImage red(20, 10, QImage::Format_ARGB32_Premultiplied);
    red.fill(Qt::red);
    ASSERT_TRUE(platform::writeReadyPicture(red, folder.filePath(QStringLiteral("b-20x10.argb"))));
    platform::SvgPicture picture(folder.filePath(QStringLiteral("b.svg")));
    for (const int width : {20, 21}) { // the SVG's ground is black
        picture.resize(width, 10);
        EXPECT_EQ(picture.grab().toImage().pixelColor(0, 0), width == 20 ? Qt::red : Qt::black);
    }
}

} // namespace
