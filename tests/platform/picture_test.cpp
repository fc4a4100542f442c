#include "platform/picture.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace {

QString asset(const char* name) {
    return QStringLiteral(TAVREL_ASSETS_DIR "/") + QString::fromLatin1(name);
}

// ---- Button bars ----------------------------------------------------------------------

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

QImage paintBar(const BarCase& c, bool pressed) {
    QImage image(c.width * c.pixelRatio, c.height * c.pixelRatio,
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(c.pixelRatio);
    image.fill(Qt::black);
    QPainter painter(&image);
    platform::paintButtonBar(painter, QRectF(0, 0, c.width, c.height),
                             QString::fromLatin1(c.letters), pressed);
    return image;
}

// The letters are the only part of a bar with green in it; count a pixel at least half
// covered by them.
QRect letterBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGreen(image.pixel(x, y)) >= 20) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

class ButtonBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(ButtonBarTest, PressedLookMovesTheWholeLettersOnePixelDownAndRight) {
    const BarCase c = GetParam();
    const QRect normal = letterBox(paintBar(c, false));
    const QRect pressed = letterBox(paintBar(c, true));
    ASSERT_FALSE(normal.isEmpty());
    EXPECT_EQ(pressed, normal.translated(c.pixelRatio, c.pixelRatio));

    // Whole and readable: inside the outline in both looks, and not shrunk to a smudge.
    const QRect inside =
        QRect(0, 0, c.width * c.pixelRatio, c.height * c.pixelRatio)
            .adjusted(2 * c.pixelRatio, c.pixelRatio, -2 * c.pixelRatio, -c.pixelRatio);
    EXPECT_TRUE(inside.contains(normal)) << "letters " << normal.left() << ".." << normal.right();
    EXPECT_TRUE(inside.contains(pressed));
    EXPECT_GE(normal.height(), c.height * c.pixelRatio * 3 / 10);
}

// The four bars of the main window, at normal and double device pixel ratio.
INSTANTIATE_TEST_SUITE_P(
    MainWindowBars, ButtonBarTest,
    ::testing::Values(BarCase{"ABOUT", 105, 35, 1}, BarCase{"ESCI", 105, 35, 1},
                      BarCase{"CARICA TABLE {TBL}", 220, 22, 1}, BarCase{"INDIETRO", 140, 35, 1},
                      BarCase{"ABOUT", 105, 35, 2}, BarCase{"CARICA TABLE {TBL}", 220, 22, 2},
                      BarCase{"INDIETRO", 140, 35, 2}));

TEST(ButtonLook, LetsTheMouseThroughToTheButtonThatHoldsIt) {
    const platform::ButtonLook look(QStringLiteral("ESCI"), true);
    EXPECT_TRUE(look.testAttribute(Qt::WA_TransparentForMouseEvents));
    const platform::SvgPicture picture(asset("banner.svg"));
    EXPECT_FALSE(picture.testAttribute(Qt::WA_TransparentForMouseEvents));
}

// ---- SVG pictures ---------------------------------------------------------------------

struct PictureCase {
    const char* file;
    QSize size; // the control's size in the window design, in pixels
};

std::ostream& operator<<(std::ostream& out, const PictureCase& c) {
    return out << c.file;
}

class PictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureTest, FileIsDrawnForItsPlaceAndPaintsIt) {
    const PictureCase c = GetParam();
    const QSvgRenderer renderer(asset(c.file));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), c.size);
    EXPECT_EQ(renderer.viewBoxF(), QRectF(QPointF(0, 0), QSizeF(c.size)));

    platform::SvgPicture picture(asset(c.file));
    ASSERT_TRUE(picture.isValid());
    picture.resize(c.size);
    QImage image(c.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    picture.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            lit += std::max({qRed(p), qGreen(p), qBlue(p)}) > 128 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, c.size.width() * c.size.height() / 50);
}

INSTANTIATE_TEST_SUITE_P(Assets, PictureTest,
                         ::testing::Values(PictureCase{"banner.svg", {195, 44}},
                                           PictureCase{"portrait.svg", {107, 168}},
                                           PictureCase{"icon.svg", {256, 256}}));

TEST(AppIcon, HasEverySizeAWindowManagerAsksFor) {
    const QIcon icon = platform::appIcon(asset("icon.svg"));
    const QList<QSize> expected{{16, 16}, {24, 24},   {32, 32},  {48, 48},
                                {64, 64}, {128, 128}, {256, 256}};
    EXPECT_EQ(icon.availableSizes(), expected);
    EXPECT_TRUE(platform::appIcon(asset("missing.svg")).isNull());
}

} // namespace
