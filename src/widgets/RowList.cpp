#include "widgets/RowList.h"

#include "widgets/Twips.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace kelpo {

RowList::RowList(int rowCount, int visibleRows, int rowTwips, int widthTwips, QWidget* parent)
    : QWidget(parent), rowCount_(rowCount), visibleRows_(std::min(visibleRows, rowCount)),
      rowTwips_(rowTwips), rows_(std::size_t(std::max(rowCount, 0)), nullptr) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    viewport_ = new QFrame(this);
    viewport_->setFrameShape(QFrame::NoFrame);
    viewport_->setFixedSize(TwipsToPixels(widthTwips, this),
                            TwipsToPixels(visibleRows_ * rowTwips_, this));
    viewport_->installEventFilter(this);
    panel_ = new QWidget(viewport_);
    panel_->setGeometry(0, 0, viewport_->width(), TwipsToPixels(rowCount_ * rowTwips_, this));

    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setRange(0, rowCount_ - visibleRows_);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(5);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setFixedHeight(viewport_->height());
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        ShowFrom(value);
        if (onScrolled)
            onScrolled(value);
    });

    layout->addWidget(viewport_);
    layout->addWidget(scroll_);
}

void RowList::AddRows(int from, int to, const RowFactory& make) {
    for (int i = std::max(from, 0); i < std::min(to, rowCount_); ++i) {
        if (rows_[i])
            continue;
        QWidget* row = make(i, panel_);
        const int top = TwipsToPixels(i * rowTwips_, this);
        // Each edge rounded on its own, so the rows meet without gaps or overlaps.
        row->setGeometry(0, top, viewport_->width(),
                         TwipsToPixels((i + 1) * rowTwips_, this) - top);
        row->installEventFilter(this);
        row->show();
        rows_[i] = row;
    }
}

QWidget* RowList::Row(int index) const {
    return index >= 0 && index < rowCount_ ? rows_[index] : nullptr;
}

int RowList::FirstVisible() const {
    return scroll_->value();
}

void RowList::ShowFrom(int first) {
    const int v = std::clamp(first, 0, rowCount_ - visibleRows_);
    panel_->move(0, -TwipsToPixels(v * rowTwips_, this));
}

bool RowList::eventFilter(QObject* watched, QEvent* event) {
    // The wheel scrolls the list wherever it turns over it, a row included.
    if (event->type() == QEvent::Wheel) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        if (steps != 0)
            scroll_->setValue(scroll_->value() - steps);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kelpo
