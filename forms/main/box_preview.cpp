#include "forms/main/box_preview.h"

#include "forms/main/main_window_design.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/window_shell.h"
#include "storage/font_sheet.h"
#include "storage/text_encoding.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <functional>

// The picture at a whole number of screen pixels per picture pixel, without smoothing; a rest
// of the mouse shows the second picture (the original's) beside it.
class PicturePane final : public QWidget {
    Q_OBJECT // its class name is what the accessibility factory knows it by

        public : explicit PicturePane(QWidget* parent)
        : QWidget(parent) {
        setAccessibleName(QStringLiteral("Anteprima"));
    }
    ~PicturePane() override { delete tip_; }
    PicturePane(const PicturePane&) = delete;
    PicturePane& operator=(const PicturePane&) = delete;

    void setPicture(QImage picture, int scale) {
        picture_ = std::move(picture);
        scale_ = scale;
        const double perPixel = scale_ / devicePixelRatioF();
        setFixedSize(static_cast<int>(std::ceil(picture_.width() * perPixel)),
                     static_cast<int>(std::ceil(picture_.height() * perPixel)));
        update();
    }
    int scale() const { return scale_; }
    std::function<QImage()> toolTipPicture;

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const double perPixel = scale_ / devicePixelRatioF();
        painter.scale(perPixel, perPixel);
        painter.drawImage(0, 0, picture_);
    }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::ToolTip && toolTipPicture) {
            showTip(static_cast<QHelpEvent*>(event)->globalPos());
            return true;
        }
        if (event->type() == QEvent::Leave || event->type() == QEvent::Hide) {
            if (tip_ != nullptr) {
                tip_->hide();
            }
        }
        return QWidget::event(event);
    }

private:
    void showTip(QPoint at) {
        const QImage picture = toolTipPicture();
        if (picture.isNull()) {
            return;
        }
        if (tip_ == nullptr) {
            tip_ = new QLabel(nullptr, Qt::ToolTip);
            tip_->setAccessibleName(QStringLiteral("Originale"));
        }
        QPixmap pixmap = QPixmap::fromImage(
            picture.scaled(picture.size() * scale_, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        pixmap.setDevicePixelRatio(devicePixelRatioF());
        tip_->setPixmap(pixmap);
        tip_->adjustSize();
        tip_->move(at + QPoint(2, 16));
        tip_->show();
    }

    QImage picture_;
    int scale_ = 1;
    QLabel* tip_ = nullptr;
};

namespace {

// Screen readers find the preview as a picture.
QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("PicturePane")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    }
    return nullptr;
}

// The room from the left edge of ABOUT to the right edge of ESCI, in twips; the picture's top
// lies this far under them.
constexpr int kPreviewWidthTwips = 3735;
constexpr int kBoxesShown = 3;

} // namespace

std::optional<QString> BoxPreview::load(const QString& widthFilePath,
                                        const screen::WidthFile& widths) {
    QString error;
    sheet_ = storage::readFontSheet(widthFilePath, widths, error);
    return sheet_ ? std::nullopt : std::optional(error);
}

void BoxPreview::clear(MainWindowControls& ui) {
    sheet_.reset();
    delete area_;
    ui.preview = nullptr;
}

void BoxPreview::show(MainWindowControls& ui, const screen::ScreenMeasure& screen,
                      const QString& translation, const QString& original) {
    if (!sheet_) {
        return;
    }
    if (area_ == nullptr) {
        static const bool installed = [] {
            QAccessible::installFactory(accessibleFor);
            return true;
        }();
        Q_UNUSED(installed);
        area_ = new QScrollArea(ui.workingFace);
        area_->setObjectName(QStringLiteral("Anteprima"));
        area_->setFrameShape(QFrame::NoFrame);
        // Beside a picture narrower than the buttons' width, the window's own black.
        QPalette black = area_->palette();
        black.setColor(QPalette::Window, Qt::black);
        area_->setPalette(black);
        area_->viewport()->setPalette(black);
        area_->viewport()->setAutoFillBackground(true);
        area_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        pane_ = new PicturePane(area_);
        area_->setWidget(pane_);
        area_->show();
    }
    boxpicture::BoxPicture& picture = picture_;
    boxpicture::draw(screen, *sheet_, storage::utf16View(translation), picture);
    pane_->toolTipPicture = [this, &screen, original] {
        const boxpicture::BoxPicture drawn =
            boxpicture::draw(screen, *sheet_, storage::utf16View(original));
        return drawn.pixels.argb.empty() ? QImage() : storage::toImage(drawn.pixels);
    };
    if (picture.pixels.argb.empty()) {
        area_->hide();
        ui.preview = nullptr;
        return;
    }

    // Whole screen pixels per picture pixel: as many as the width holds, less a scroll bar's
    // when the boxes are more than are shown.
    const double ratio = area_->devicePixelRatioF();
    const int width = platform::pixelsFromTwipsX(kPreviewWidthTwips);
    const std::size_t bands = picture.bandBottoms.size();
    const int scrollBar = area_->verticalScrollBar()->sizeHint().width();
    const int room = static_cast<int>((width - (bands > kBoxesShown ? scrollBar : 0)) * ratio);
    const int scale = std::max(1, room / static_cast<int>(picture.pixels.width));
    pane_->setPicture(storage::imageOf(picture.pixels), scale);
    const std::uint32_t shownRows =
        picture.bandBottoms[std::min<std::size_t>(bands, kBoxesShown) - 1];
    int height = static_cast<int>(std::ceil(shownRows * scale / ratio));
    if (pane_->width() > width - (bands > kBoxesShown ? scrollBar : 0)) {
        height += area_->horizontalScrollBar()->sizeHint().height();
    }
    area_->resize(width, height);
    area_->show();
    ui.preview = area_;
}

#include "box_preview.moc"
