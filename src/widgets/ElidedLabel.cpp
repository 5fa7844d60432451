#include "widgets/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace kelpo {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::SetRightReserve(int pixels) {
    pixels = qMax(0, pixels);
    if (pixels == rightReserve_)
        return;
    rightReserve_ = pixels;
    update();
}

QRect ElidedLabel::TextRect() const {
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    area.setLeft(area.left() + qMax(0, indent()));
    area.setRight(area.right() - rightReserve_);
    return area;
}

QString ElidedLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, qMax(0, TextRect().width()));
}

int ElidedLabel::ShownTextRight() const {
    return TextRect().left() + fontMetrics().horizontalAdvance(ShownText());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, TextRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

bool ElidedLabel::event(QEvent* event) {
    // A tooltip of its own (set by someone else) wins; otherwise the whole text, and only
    // when it is cut short.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (ShownText() != text())
            QToolTip::showText(help->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

} // namespace kelpo
