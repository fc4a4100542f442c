#include "platform/widgets/picture.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct BarCase {
    const char* letters;
    int width;
    int height;
    int pixelRatio;
};

// Names the case in ctest: the first word of the letters, the size and the pixel ratio.
std::ostream& operator<<(std::ostream& out, const BarCase& c) {
    const std::string letters = c.letters;
    return out << letters.substr(0, letters.find(' ')) << '_' << c.width << 'x' << c.height << "_at"
               << c.pixelRatio << 'x';
}

// Paints one look of the bar and returns the box of its letters, the only part of a bar with
// green in it (a pixel counts when it is at least half covered).
QRect letterBox(const BarCase& c, bool pressed) {
    QImage image(c.width * c.pixelRatio, c.height * c.pixelRatio,
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(c.pixelRatio);
    image.fill(Qt::black);
    QPainter painter(&image);
    platform::paintButtonBar(painter, QRectF(0, 0, c.width, c.height),
                             QString::fromLatin1(c.letters), pressed);
    painter.end();
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            box |= qGreen(image.pixel(x, y)) >= 20 ? QRect(x, y, 1, 1) : QRect();
        }
    }
    return box;
}

class ButtonBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(ButtonBarTest, PressedLookMovesTheWholeLettersOnePixelDownAndRight) {
    const BarCase c = GetParam();
    const QRect normal = letterBox(c, false);
    const QRect pressed = letterBox(c, true);
    ASSERT_FALSE(normal.isEmpty());
    EXPECT_EQ(pressed, normal.translated(c.pixelRatio, c.pixelRatio));
    // Whole and readable: inside the outline in both looks, and not shrunk to a smudge.
    const int r = c.pixelRatio;
    const QRect inside = QRect(0, 0, c.width * r, c.height * r).adjusted(2 * r, r, -2 * r, -r);
    EXPECT_TRUE(inside.contains(normal) && inside.contains(pressed))
        << "letters " << normal.left() << ".." << pressed.right();
    EXPECT_GE(normal.height(), c.height * r * 3 / 10);
}

// The four bars of the main window, at normal and double device pixel ratio.
INSTANTIATE_TEST_SUITE_P(
    MainWindowBars, ButtonBarTest,
    ::testing::Values(BarCase{"ABOUT", 105, 35, 1}, BarCase{"ESCI", 105, 35, 1},
                      BarCase{"CARICA TABLE {TBL}", 220, 22, 1}, BarCase{"INDIETRO", 140, 35, 1},
                      BarCase{"ABOUT", 105, 35, 2}, BarCase{"CARICA TABLE {TBL}", 220, 22, 2},
                      BarCase{"INDIETRO", 140, 35, 2}));

TEST(AppIcon, HasEverySizeAWindowManagerAsksFor) {
    const QIcon icon = platform::appIcon(QStringLiteral(TAVREL_ICON_DIR));
    const QList<QSize> expected{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    EXPECT_EQ(icon.availableSizes(), expected);
    // Rendered, not blank: the rounded square's middle is opaque, its corner transparent.
    const QImage image = icon.pixmap(QSize(64, 64)).toImage();
    EXPECT_EQ(qAlpha(image.pixel(32, 32)), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_TRUE(platform::appIcon(QStringLiteral(TAVREL_ICON_DIR "/missing")).isNull());
}

} // namespace
