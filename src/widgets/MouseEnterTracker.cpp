#include "widgets/MouseEnterTracker.h"

#include <QChildEvent>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace kelpo {

namespace {

bool IsQtInner(const QString& name) {
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

// "Name_12" as "Name(12)"; any other name as it stands.
QString ArrayForm(const QString& name) {
    const qsizetype bar = name.lastIndexOf('_');
    if (bar <= 0 || bar == name.size() - 1)
        return name;
    for (qsizetype i = bar + 1; i < name.size(); ++i)
        if (!name[i].isDigit())
            return name;
    return name.left(bar) + '(' + name.mid(bar + 1) + ')';
}

} // namespace

ControlDescParts SplitControlDesc(const QString& desc) {
    ControlDescParts parts;
    const qsizetype open = desc.indexOf('(');
    if (!desc.endsWith(')') || open < 0) {
        parts.name = desc;
        return parts;
    }
    parts.name = desc.left(open);
    parts.hasIndex = true;
    // Digits after optional blanks, as far as they go.
    const QString inner = desc.mid(open + 1, desc.size() - open - 2).trimmed();
    qsizetype digits = 0;
    while (digits < inner.size() && digits < 9 && inner[digits].isDigit())
        ++digits;
    parts.index = digits ? inner.left(digits).toInt() : 0;
    return parts;
}

MouseEnterTracker::MouseEnterTracker(QWidget* window) : QObject(window), window_(window) {
    Watch(window);
}

void MouseEnterTracker::Watch(QObject* object) {
    if (!object->isWidgetType())
        return;
    object->installEventFilter(this);
    for (QObject* child : object->children())
        Watch(child);
}

void MouseEnterTracker::SetMode(int mode) {
    mode_ = mode == On ? On : Off;
    // Whatever the pointer enters after a pause is news.
    current_.clear();
    leavePending_ = false;
}

QString MouseEnterTracker::Describe(const QWidget* widget) const {
    // A window of its own (a dialog opened over this one, a popup list) is not ours.
    if (!widget || widget->window() != window_)
        return {};
    for (const QWidget* w = widget; w && w != window_; w = w->parentWidget()) {
        if (!IsQtInner(w->objectName()))
            return ArrayForm(w->objectName());
    }
    return {};
}

bool MouseEnterTracker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        Watch(static_cast<QChildEvent*>(event)->child());
        break;
    case QEvent::Enter:
        leavePending_ = false;
        Entered(Describe(static_cast<QWidget*>(watched)));
        break;
    case QEvent::Leave: {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == window_) {
            leavePending_ = false;
            current_.clear();
            break;
        }
        if (Describe(widget) != current_)
            break; // an inner widget of the control still under the pointer
        pendingHolder_ = Describe(widget->parentWidget());
        leavePending_ = true;
        QTimer::singleShot(0, this, &MouseEnterTracker::SettleLeave);
        break;
    }
    default:
        break;
    }
    return false;
}

void MouseEnterTracker::SettleLeave() {
    if (!leavePending_)
        return;
    leavePending_ = false;
    Entered(pendingHolder_);
}

void MouseEnterTracker::Entered(const QString& desc) {
    if (desc == current_)
        return;
    current_ = desc;
    if (mode_ != On || desc.isEmpty())
        return;
    emit MouseEnter(window_ ? window_->objectName() : QString(), desc);
}

} // namespace kelpo
