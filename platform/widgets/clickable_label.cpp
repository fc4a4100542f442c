#include "platform/widgets/clickable_label.h"

#include <QMouseEvent>

namespace platform {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {}

void ClickableLabel::click() {
    Q_EMIT pressed(Qt::LeftButton);
    Q_EMIT released(Qt::LeftButton);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT pressed(event->button());
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT released(event->button());
}

} // namespace platform
