#include "platform/widgets/controls.h"

#include "platform/widgets/clickable_label.h"
#include "platform/widgets/palette.h"
#include "platform/widgets/text_box.h"
#include "platform/widgets/twips.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace platform {
namespace {

constexpr double kDesignPointSize = 8.0;

void paintBlack(QWidget* widget) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, palette::kBlack);
    colours.setColor(QPalette::Base, palette::kBlack);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

} // namespace

QFont designFont() {
    QFont font(QStringLiteral("Roboto Condensed"));
    font.setPointSizeF(kDesignPointSize);
    font.setStyleHint(QFont::SansSerif);
    // Without shaping where the script needs none (Latin needs none). A box near its
    // 32767-character limit is laid out again at every key and every caret blink, and shaping
    // made that several times slower (typing stalled visibly, the blinking caret alone cost 3%
    // of a core); the captions skip it too, so that captions and boxes share one font engine
    // and start-up loads no shaper.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void setUpWindow(QWidget* window, const QString& caption, int widthTwips, int heightTwips) {
    window->setWindowTitle(caption);
    window->setFont(designFont());
    paintBlack(window);
    window->setFixedSize(pixelsFromTwipsX(widthTwips), pixelsFromTwipsY(heightTwips));
}

namespace {

template <typename Label>
Label* makeLabel(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                 int left, int top, int width, int height) {
    auto* label = new Label(parent);
    label->setText(caption);
    label->setObjectName(name);
    label->setFont(designFont());
    paintBlack(label);
    setCaptionColour(label, colour);
    // Centred vertically, as the check box centres its caption, so captions on one row align.
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QRect geometry = rectFromTwips(left, top, width, height);
    const int needed = QFontMetrics(label->font()).horizontalAdvance(caption) + 1;
    geometry.setWidth(std::max(geometry.width(), needed));
    label->setGeometry(geometry);
    return label;
}

} // namespace

QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                 int left, int top, int width, int height) {
    return makeLabel<QLabel>(parent, name, caption, colour, left, top, width, height);
}

ClickableLabel* addClickableLabel(QWidget* parent, const QString& name, const QString& caption,
                                  const QColor& colour, int left, int top, int width, int height) {
    return makeLabel<ClickableLabel>(parent, name, caption, colour, left, top, width, height);
}

QFrame* addFrame(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    paintBlack(frame);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { border: 1px solid %2; border-radius: 3px; }")
                             .arg(name, palette::kFrameLine.name()));
    frame->setGeometry(rectFromTwips(left, top, width, height));
    return frame;
}

TextBox* addTextBox(QWidget* parent, const QString& name, int left, int top, int width,
                    int height) {
    auto* box = new TextBox(parent);
    box->setObjectName(name);
    box->setFont(designFont());
    // The sheet draws the border and the black ground; the text colour stays in the palette,
    // where the windows change it.
    box->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid %1; padding: 0px 2px; "
                                      "background-color: black; selection-background-color: "
                                      "#5a0000; selection-color: white; }")
                           .arg(palette::kFrameLine.name()));
    QPalette colours = box->palette();
    colours.setColor(QPalette::Text, palette::kWhite);
    box->setPalette(colours);
    box->setGeometry(rectFromTwips(left, top, width, height));
    return box;
}

QCheckBox* addCheckBox(QWidget* parent, const QString& name, const QString& caption,
                       const QColor& colour, int left, int top, int width, int height) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setFont(designFont());
    box->setStyleSheet(QStringLiteral("QCheckBox { color: %1; background-color: black; "
                                      "spacing: 4px; }"
                                      "QCheckBox::indicator { width: 10px; height: 10px; "
                                      "border: 1px solid %2; background-color: black; }"
                                      "QCheckBox::indicator:checked { background-color: %1; "
                                      "border: 1px solid %1; }")
                           .arg(colour.name(), palette::kFrameLine.lighter(160).name()));
    QRect geometry = rectFromTwips(left, top, width, height);
    geometry.setWidth(std::max(geometry.width(), box->sizeHint().width()));
    box->setGeometry(geometry);
    return box;
}

void setCaptionColour(QLabel* label, const QColor& colour) {
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
}

QColor captionColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

void setTextColour(QLineEdit* box, const QColor& colour) {
    QPalette colours = box->palette();
    colours.setColor(QPalette::Text, colour);
    box->setPalette(colours);
}

QColor textColour(const QLineEdit* box) {
    return box->palette().color(QPalette::Text);
}

} // namespace platform
