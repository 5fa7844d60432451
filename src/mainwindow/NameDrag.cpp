#include "mainwindow/NameDrag.h"

#include <cmath>

namespace kelpo {

void NameDrag::Press(Place source, QPointF twips) {
    if (state_ == State::Dragging || state_ == State::Dropped)
        return; // a second button during a drag changes nothing
    state_ = State::Pressed;
    source_ = source;
    down_ = twips;
}

bool NameDrag::Move(int buttons, QPointF twips, Place place) {
    if (state_ == State::Dragging) {
        if (over)
            over(source_, place);
        return true;
    }
    if (state_ != State::Pressed || buttons == 0)
        return false;
    if (std::abs(twips.x() - down_.x()) <= Threshold &&
        std::abs(twips.y() - down_.y()) <= Threshold)
        return false;
    if (canDrag && !canDrag(source_)) {
        state_ = State::Idle;
        return false;
    }
    state_ = State::Dragging;
    button_ = buttons;
    if (began)
        began(source_, button_);
    if (over)
        over(source_, place);
    return true;
}

bool NameDrag::Release(int buttonsLeft, Place place) {
    switch (state_) {
    case State::Dragging:
        state_ = buttonsLeft ? State::Dropped : State::Idle;
        if (dropped)
            dropped(source_, place, button_);
        return true;
    case State::Dropped:
        if (!buttonsLeft)
            state_ = State::Idle;
        return true;
    case State::Pressed:
    case State::Idle:
        state_ = State::Idle;
        return false;
    }
    return false;
}

void NameDrag::Cancel() {
    state_ = State::Idle;
}

} // namespace kelpo
