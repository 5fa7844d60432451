#pragma once
// Mouse events as every window's handlers take them: `(index, button, shift, x, y)` with
// button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt (added together); x and
// y in twips within the control.
#include <Qt>

#include <functional>

class QMouseEvent;
class QWidget;

namespace kelpo {

using MouseHandler = std::function<void(int index, int button, int shift, float x, float y)>;

struct MouseArgs {
    int button = 0;
    int shift = 0;
    float x = 0;
    float y = 0;
};

// 1, 2 or 4; 0 for any other button.
int MouseButtonArg(Qt::MouseButton button);
// The Qt button of a handler's button argument (NoButton for anything else).
Qt::MouseButton QtMouseButton(int button);
int ShiftArg(Qt::KeyboardModifiers modifiers);

// The arguments of `event` on `control`; the twips are those of `control`'s screen.
MouseArgs MouseArgsOf(const QMouseEvent& event, const QWidget* control);

} // namespace kelpo
