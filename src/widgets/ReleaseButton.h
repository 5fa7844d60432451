#pragma once
// A button that acts when any mouse button is released over it, and never takes focus.
#include "widgets/MouseArgs.h"

#include <QPushButton>

namespace kelpo {

class ReleaseButton : public QPushButton {
    Q_OBJECT
public:
    ReleaseButton(const QString& caption, QWidget* parent);

    // Called with the button's `index` (0 unless set) and the release's mouse arguments;
    // click() (assistive technology, the keyboard) reports the left button.
    MouseHandler onRelease;
    int index = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace kelpo
