#include "platform/widgets/picture.h"
#include "platform/widgets/ready_picture.h"

#include <QFile>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The letters, the only part of a bar with green in it, at a device pixel ratio of 2; their
// shadow, darker than any bar, one pixel below and to the right of them.
TEST(PictureTest, PressedBarMovesItsLettersOnePixelDownAndRight) {
    QRect letters[2], shadow;
    for (const bool pressed : {false, true}) {
        QImage image(280, 70, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::black);
        QPainter painter(&image);
        platform::paintButtonBar(painter, {0, 0, 140, 35}, QStringLiteral("INDIETRO"), pressed);
        painter.end();
        EXPECT_TRUE(!pressed || qRed(image.pixel(4, 42)) == 72); // the pressed bar's shade at 60%
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                letters[pressed] |= qGreen(image.pixel(x, y)) >= 20 ? QRect(x, y, 1, 1) : QRect();
            }
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool dark = qGreen(image.pixel(x, y)) == 0 && qRed(image.pixel(x, y)) <= 30;
                shadow |= dark && letters[pressed].adjusted(-6, -6, 6, 6).contains(x, y)
                              ? QRect(x, y, 1, 1)
                              : QRect();
            }
        }
        const QRect& inked = letters[pressed];
        EXPECT_TRUE(shadow.left() > inked.left() && shadow.top() > inked.top() &&
                    shadow.right() >= inked.right() && shadow.bottom() > inked.bottom());
        shadow = {};
    }
    ASSERT_GT(letters[0].height(), 22); // capitals of an 18-pixel face at twice the density
    EXPECT_EQ(letters[1], letters[0].translated(2, 2));
}

TEST(PictureTest, AppIconHasEverySizeAWindowManagerAsksFor) {
    const QList<QSize> sizes{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    const QIcon icon = platform::appIcon(QStringLiteral(TAVREL_PICTURE_DIR));
    EXPECT_EQ(icon.availableSizes(), sizes);
    for (const int side : {16, 20, 64, 100}) { // sizes between and beyond are scaled
        EXPECT_EQ(icon.pixmap(side).size(), QSize(side, side));
    }
    EXPECT_TRUE(platform::appIcon(QStringLiteral(TAVREL_PICTURE_DIR "/missing")).isNull());
}

TEST(PictureTest, ReadyPictureReadsBackAndRefusesDamagedFiles) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("p.argb"));
    QImage image(3, 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgba(0, 0, 0, 0));
    image.setPixel(2, 1, qRgba(10, 20, 30, 40));
    ASSERT_TRUE(platform::writeReadyPicture(image, path));
    EXPECT_EQ(platform::readReadyPicture(path), image);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    // "ARGB", the width, the height, then the pixels.
    EXPECT_EQ(good.left(12), QByteArray("ARGB\x03\0\0\0\x02\0\0\0", 12));
    EXPECT_EQ(good.size(), 12 + 3 * 2 * 4);
    const QByteArray zeroWidth = QByteArray(good).replace(4, 4, QByteArray(4, 0));
    for (const QByteArray& bad :
         {good.left(11), good.chopped(1), good + 'x', "ARGX" + good.mid(4), zeroWidth}) {
        QSaveFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write(bad) && damaged.commit());
        EXPECT_TRUE(platform::readReadyPicture(path).isNull()) << bad.size();
    }
}

// The build's renderings of the banner are the SVG's own pixels, and a picture paints its
// ready-made rendering only at exactly that size.
TEST(PictureTest, SvgPicturePaintsItsReadyRenderingAtItsSize) {
    QSvgRenderer svg(QStringLiteral(TAVREL_SOURCE_DIR "/assets/banner.svg"));
    for (const QSize size : {QSize(195, 44), QSize(390, 88)}) {
        QImage rendered(size, QImage::Format_ARGB32_Premultiplied);
        rendered.fill(Qt::transparent);
        QPainter painter(&rendered);
        svg.render(&painter);
        painter.end();
        EXPECT_EQ(platform::readReadyPicture(QStringLiteral(TAVREL_PICTURE_DIR "/banner-%1x%2.argb")
                                                 .arg(size.width())
                                                 .arg(size.height())),
                  rendered);
    }
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVREL_SOURCE_DIR "/assets/banner.svg"),
                            folder.filePath(QStringLiteral("b.svg"))));
    QImage red(20, 10, QImage::Format_ARGB32_Premultiplied);
    red.fill(Qt::red);
    ASSERT_TRUE(platform::writeReadyPicture(red, folder.filePath(QStringLiteral("b-20x10.argb"))));
    platform::SvgPicture picture(folder.filePath(QStringLiteral("b.svg")));
    for (const int width : {20, 21}) {
        picture.resize(width, 10);
        const QImage painted = picture.grab().toImage();
        EXPECT_EQ(painted.pixel(0, 0) == qRgb(255, 0, 0), width == 20) << width;
        EXPECT_EQ(painted.pixel(0, 0) == qRgb(0, 0, 0), width == 21) << width; // the SVG's ground
    }
}

} // namespace
