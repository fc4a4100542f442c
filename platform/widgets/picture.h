#pragma once

#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QSvgRenderer>
#include <QWidget>

#include <memory>

class QPainter;
class QPaintEvent;

// The pictures of the windows, drawn as vectors so that they stay sharp at any device pixel
// ratio: SVG files from the resources (":/assets/banner.svg", ":/assets/portrait.svg") and
// the button bars, which are painted in code. Where the build rendered a picture ahead of time
// at the size a window needs (the window icon's sizes, the banner at the usual densities), the
// ready-made pixels are copied instead (ready_picture.h).
namespace platform {

// A picture control: the SVG at `resourcePath`, scaled to the whole widget. It takes the
// mouse like any widget; a picture that only decorates needs nothing more. A ready-made
// rendering beside the SVG, "<path without .svg>-<width>x<height>.argb" for the widget's size
// in device pixels, is painted instead of the SVG. The SVG is read only when it is needed:
// when no ready-made rendering fits, or when the picture is asked about.
class SvgPicture final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SvgPicture)

public:
    explicit SvgPicture(const QString& resourcePath, QWidget* parent = nullptr);

    // False when the file is missing or not SVG; the widget then paints nothing.
    bool isValid() const { return renderer().isValid(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer& renderer() const;
    // The ready-made rendering for `deviceSize`, looked up once for each new size; null when
    // there is none.
    const QImage& readyRendering(const QSize& deviceSize);

    QString resourcePath_;
    mutable std::unique_ptr<QSvgRenderer> renderer_;
    QSize readySize_;
    QImage ready_;
};

// One look of a picture button: a dark red rounded bar with bright red capitals. The
// pressed look is the same bar, a little darker, with the letters one pixel lower and one
// pixel further right. The letters shrink when they would not fit the bar.
void paintButtonBar(QPainter& painter, const QRectF& rect, const QString& letters, bool pressed);

// A button bar as a child widget: one look of a PressedLookPair, which holds both looks of a
// button, lets the mouse through them and takes the press and the release itself.
class ButtonLook final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ButtonLook)

public:
    ButtonLook(const QString& letters, bool pressed, QWidget* parent = nullptr);

    const QString& letters() const { return letters_; }
    bool isPressed() const { return pressed_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString letters_;
    bool pressed_;
};

// The window icon at 16, 24, 32, 48 and 64 pixels, from `folder`/icon-<size>x<size>.argb; a
// size whose file cannot be read is left out, and no file at all gives a null icon.
QIcon appIcon(const QString& folder = QStringLiteral(":/assets"));

} // namespace platform
