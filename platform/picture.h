#pragma once

#include <QIcon>
#include <QRectF>
#include <QString>
#include <QSvgRenderer>
#include <QWidget>

class QPainter;
class QPaintEvent;

// The pictures of the windows, all drawn as vectors so that they stay sharp at any device
// pixel ratio: SVG files from the resources (":/assets/banner.svg", ":/assets/portrait.svg",
// ":/assets/icon.svg") and the button bars, which are painted in code.
namespace platform {

// A picture control: the SVG at `resourcePath`, scaled to the whole widget. It takes the
// mouse like any widget; a picture that only decorates needs nothing more.
class SvgPicture final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SvgPicture)

public:
    explicit SvgPicture(const QString& resourcePath, QWidget* parent = nullptr);

    // False when the file is missing or not SVG; the widget then paints nothing.
    bool isValid() const { return renderer_.isValid(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer renderer_;
};

// One look of a picture button: a dark red rounded bar with bright red capitals. The
// pressed look is the same bar, a little darker, with the letters one pixel lower and one
// pixel further right. The letters shrink when they would not fit the bar.
void paintButtonBar(QPainter& painter, const QRectF& rect, const QString& letters, bool pressed);

// A button bar as a child widget. It lets the mouse through to its parent, which holds
// both looks of a button and takes the press and the release for them.
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

// The window icon, rendered from `svgPath` at 16, 24, 32, 48, 64, 128 and 256 pixels (no
// SVG icon-engine plugin needed). A null icon when the file cannot be read.
QIcon appIcon(const QString& svgPath = QStringLiteral(":/assets/icon.svg"));

} // namespace platform
