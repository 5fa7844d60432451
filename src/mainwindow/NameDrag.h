#pragma once
// The manual drag of a name or a library button on the main window. A press stores where
// it happened; a move with a button held more than 20 twips away from it (in either
// direction) begins the drag; the first release drops it on whatever lies under the
// pointer. The button state when the drag began decides between a move and a copy (2,
// the right button alone, copies). Files are none of its business: the window is told
// through the callbacks and does the work.
#include <QPointF>

#include <functional>

namespace kelpo {

class NameDrag {
public:
    enum class Kind { None, Name, Library, Trash };
    struct Place {
        Kind kind = Kind::None;
        int index = -1;
        bool operator==(const Place&) const = default;
    };

    // How far the pointer may move, in twips, and still make a click.
    static constexpr float Threshold = 20;

    // Whether `source` may be dragged (a named slot, a named library).
    std::function<bool(Place source)> canDrag;
    // The drag began (show the trash and the outline).
    std::function<void(Place source, int button)> began;
    // While dragging, the pointer is over `place` (called on every move).
    std::function<void(Place source, Place place)> over;
    // Dropped on `target` (Kind::None when over nothing that takes a drop).
    std::function<void(Place source, Place target, int button)> dropped;

    void Press(Place source, QPointF twips);
    // A move with `buttons` held (1 left, 2 right, 4 middle, added), at `twips` within
    // the pressed control, over `place`. True when the move belongs to a drag.
    bool Move(int buttons, QPointF twips, Place place);
    // A release over `place` with `buttonsLeft` still held. True when it belongs to a drag
    // (it drops it, or is a later button of one): then it is no click.
    bool Release(int buttonsLeft, Place place);
    // Forgets a press or drag (the window lost the pointer).
    void Cancel();

    bool Dragging() const { return state_ == State::Dragging; }
    int Button() const { return button_; }
    Place Source() const { return source_; }

private:
    enum class State { Idle, Pressed, Dragging, Dropped };
    State state_ = State::Idle;
    Place source_;
    QPointF down_;
    int button_ = 0;
};

} // namespace kelpo
