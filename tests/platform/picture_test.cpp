#include "platform/widgets/picture.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The letters, the only part of a bar with green in it, at a device pixel ratio of 2.
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
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                letters[pressed] |= qGreen(image.pixel(x, y)) >= 20 ? QRect(x, y, 1, 1) : QRect();
            }
        }
    }
    ASSERT_GT(letters[0].height(), 22); // capitals of an 18-pixel face at twice the density
    EXPECT_EQ(letters[1], letters[0].translated(2, 2));
}

TEST(PictureTest, AppIconHasEverySizeAWindowManagerAsksFor) {
    const QList<QSize> sizes{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    EXPECT_EQ(platform::appIcon(QStringLiteral(TAVREL_ICON_DIR)).availableSizes(), sizes);
    EXPECT_TRUE(platform::appIcon(QStringLiteral(TAVREL_ICON_DIR "/missing")).isNull());
}

} // namespace
