#include "platform/widgets/picture.h"

#include "platform/widgets/ready_picture.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace platform {
namespace {

// Pure reds only in the bar (no green, no blue), so the letters, the one thing with green
// in it, can be told from the bar whatever its shade.
const QColor kBarOutline{150, 0, 0};
const QColor kLetters{255, 40, 40};
const QColor kLetterShadow{20, 0, 0};

// Title bars and task lists ask for 16 to 64 pixels; every size is copied into each window's
// icon property on X11, so larger ones would only slow start-up. assets/CMakeLists.txt
// renders the same sizes.
constexpr std::array<int, 5> kIconSizes{16, 24, 32, 48, 64};

QLinearGradient barFill(const QRectF& bar, bool pressed) {
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    if (pressed) {
        // Sunken: darker, the light at the bottom instead of the top.
        fill.setColorAt(0.0, QColor(55, 0, 0));
        fill.setColorAt(0.6, QColor(72, 0, 0));
        fill.setColorAt(1.0, QColor(88, 0, 0));
    } else {
        fill.setColorAt(0.0, QColor(140, 0, 0));
        fill.setColorAt(0.45, QColor(92, 0, 0));
        fill.setColorAt(1.0, QColor(66, 0, 0));
    }
    return fill;
}

// A bold condensed face, as large as a low bar allows and no larger than 18 pixels on a
// high one, so all the bars' letters look alike; smaller when they would not fit between
// the rounded ends.
QFont letterFont(const QRectF& bar, const QString& letters) {
    QFont font;
    font.setFamilies({QStringLiteral("Roboto Condensed"), QStringLiteral("DejaVu Sans Condensed")});
    font.setWeight(QFont::Bold);
    font.setStyleStrategy(QFont::PreferNoShaping); // capitals need no shaper
    const qreal room = bar.width() - bar.height() * 0.6;
    int size = std::clamp(static_cast<int>(std::lround(bar.height() * 0.64)), 6, 18);
    font.setPixelSize(size);
    while (size > 6 && QFontMetricsF(font).horizontalAdvance(letters) > room) {
        font.setPixelSize(--size);
    }
    return font;
}

} // namespace

SvgPicture::SvgPicture(const QString& resourcePath, QWidget* parent)
    : QWidget(parent), resourcePath_(resourcePath) {}

QSvgRenderer& SvgPicture::renderer() const {
    if (!renderer_) {
        renderer_ = std::make_unique<QSvgRenderer>(resourcePath_);
    }
    return *renderer_;
}

QSize SvgPicture::sizeHint() const {
    return isValid() ? renderer().defaultSize() : QWidget::sizeHint();
}

const QImage& SvgPicture::readyRendering(const QSize& deviceSize) {
    if (deviceSize != readySize_) {
        readySize_ = deviceSize;
        QString path = resourcePath_;
        if (path.endsWith(QLatin1String(".svg"))) {
            path.chop(4);
        }
        ready_ = readReadyPicture(QStringLiteral("%1-%2x%3.argb")
                                      .arg(path)
                                      .arg(deviceSize.width())
                                      .arg(deviceSize.height()));
    }
    return ready_;
}

void SvgPicture::paintEvent(QPaintEvent* /*event*/) {
    const QImage& ready = readyRendering((QSizeF(size()) * devicePixelRatioF()).toSize());
    if (!ready.isNull()) {
        QPainter(this).drawImage(QRectF(rect()), ready);
    } else if (isValid()) {
        QPainter painter(this);
        renderer().render(&painter, QRectF(rect()));
    }
}

void paintButtonBar(QPainter& painter, const QRectF& rect, const QString& letters, bool pressed) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Half a pixel in, so the one-pixel outline falls on whole pixels.
    const QRectF bar = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = bar.height() * 0.3;
    painter.setPen(QPen(kBarOutline, 1.0));
    painter.setBrush(barFill(bar, pressed));
    painter.drawRoundedRect(bar, radius, radius);

    // A soft sheen on the upper half of the raised look.
    if (!pressed) {
        const QRectF sheen = bar.adjusted(1.5, 1.5, -1.5, -bar.height() * 0.5);
        QLinearGradient light(sheen.topLeft(), sheen.bottomLeft());
        light.setColorAt(0.0, QColor(255, 0, 0, 70));
        light.setColorAt(1.0, QColor(255, 0, 0, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(light);
        painter.drawRoundedRect(sheen, radius - 1.5, radius - 1.5);
    }

    const QFont font = letterFont(bar, letters);
    const QFontMetricsF metrics(font);
    // Centred on the capitals' height, on whole pixels, so the pressed look is exactly the
    // normal one moved by one pixel.
    qreal x = std::round(rect.center().x() - metrics.horizontalAdvance(letters) / 2.0);
    qreal baseline = std::round(rect.center().y() + metrics.capHeight() / 2.0);
    if (pressed) {
        x += 1.0;
        baseline += 1.0;
    }
    painter.setFont(font);
    painter.setPen(kLetterShadow);
    painter.drawText(QPointF(x + 1.0, baseline + 1.0), letters);
    painter.setPen(kLetters);
    painter.drawText(QPointF(x, baseline), letters);
    painter.restore();
}

ButtonLook::ButtonLook(const QString& letters, bool pressed, QWidget* parent)
    : QWidget(parent), letters_(letters), pressed_(pressed) {}

void ButtonLook::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintButtonBar(painter, QRectF(rect()), letters_, pressed_);
}

namespace {

// An icon that hands out its own pictures. Qt's engine for icons made of pixmaps puts every
// picture it hands out into the process's pixmap cache, whose 30-second clean-up timer then
// woke the idle program for as long as a window held the icon; every window's creation hands
// out all the sizes.
class FixedSizesIconEngine final : public QIconEngine {
public:
    explicit FixedSizesIconEngine(QList<QPixmap> pictures) : pictures_(std::move(pictures)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        // The smallest picture at least as large as asked, else the largest; scaled to fit.
        const QPixmap* best = &pictures_.back();
        for (const QPixmap& picture : pictures_) {
            if (picture.width() >= size.width() && picture.height() >= size.height()) {
                best = &picture;
                break;
            }
        }
        return best->size() == size
                   ? *best
                   : best->scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        QList<QSize> sizes;
        for (const QPixmap& picture : pictures_) {
            sizes.append(picture.size());
        }
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return pixmap(size, mode, state).size();
    }
    QIconEngine* clone() const override { return new FixedSizesIconEngine(pictures_); }

private:
    QList<QPixmap> pictures_; // from the smallest to the largest, never empty
};

} // namespace

QIcon appIcon(const QString& folder) {
    QList<QPixmap> pictures;
    for (const int size : kIconSizes) {
        const QImage picture =
            readReadyPicture(QStringLiteral("%1/icon-%2x%2.argb").arg(folder).arg(size));
        if (!picture.isNull()) {
            pictures.append(QPixmap::fromImage(picture));
        }
    }
    return pictures.isEmpty() ? QIcon() : QIcon(new FixedSizesIconEngine(std::move(pictures)));
}

} // namespace platform
