#include "widgets/ClipRow.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelpo {

namespace {

const QColor RowHoverColor(220, 232, 252);
const QColor RowLineColor(224, 224, 224);

} // namespace

ClipRow::ClipRow(int index, QWidget* parent) : QLabel(parent), index_(index) {
    setObjectName(QStringLiteral("Names_%1").arg(index));
    setProperty("index", index);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void ClipRow::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void ClipRow::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (rect().contains(event->position().toPoint()) && onRelease) {
        const MouseArgs a = MouseArgsOf(*event, this);
        onRelease(index_, a.button, a.shift, a.x, a.y);
    }
}

void ClipRow::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QLabel::enterEvent(event);
}

void ClipRow::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QLabel::leaveEvent(event);
}

void ClipRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool live = !text().isEmpty();
    painter.fillRect(rect(), hovered_ && live ? RowHoverColor : palette().color(QPalette::Window));
    painter.setPen(RowLineColor);
    painter.drawLine(0, height() - 1, width(), height() - 1);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = rect().adjusted(4, 0, -2, -1);
    painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

} // namespace kelpo
