#include "widgets/MouseArgs.h"

#include "widgets/Twips.h"

#include <QMouseEvent>

namespace kelpo {

int MouseButtonArg(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

Qt::MouseButton QtMouseButton(int button) {
    switch (button) {
    case 1:
        return Qt::LeftButton;
    case 2:
        return Qt::RightButton;
    case 4:
        return Qt::MiddleButton;
    default:
        return Qt::NoButton;
    }
}

int ShiftArg(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

MouseArgs MouseArgsOf(const QMouseEvent& event, const QWidget* control) {
    const QPoint at = event.position().toPoint();
    return {MouseButtonArg(event.button()), ShiftArg(event.modifiers()),
            float(PixelsToTwips(at.x(), control)), float(PixelsToTwips(at.y(), control))};
}

} // namespace kelpo
