#include "widgets/ReleaseButton.h"

#include <QMouseEvent>

namespace kelpo {

ReleaseButton::ReleaseButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    // Mouse releases are handled below; clicked() comes from click().
    connect(this, &QPushButton::clicked, this, [this] {
        if (onRelease)
            onRelease(index, 1, 0, 0, 0);
    });
}

void ReleaseButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    setDown(true);
}

void ReleaseButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (event->buttons() != Qt::NoButton)
        setDown(hitButton(event->position().toPoint()));
}

void ReleaseButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    setDown(false);
    if (event->buttons() == Qt::NoButton && hitButton(event->position().toPoint()) && onRelease) {
        const MouseArgs a = MouseArgsOf(*event, this);
        onRelease(index, a.button, a.shift, a.x, a.y);
    }
}

} // namespace kelpo
