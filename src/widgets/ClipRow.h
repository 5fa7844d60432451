#pragma once
// A clip row: a label that reports a mouse button released over it, whichever button.
// It paints its caption cut short with an ellipsis rather than clipped mid-letter; the
// label keeps the whole caption for assistive technology.
#include "widgets/MouseArgs.h"

#include <QLabel>

namespace kelpo {

class ClipRow : public QLabel {
    Q_OBJECT
public:
    ClipRow(int index, QWidget* parent);

    int Index() const { return index_; }

    MouseHandler onRelease;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    bool hovered_ = false;
};

} // namespace kelpo
