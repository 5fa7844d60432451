#include "widgets/Holdfocus.h"

namespace kelpo {

Holdfocus::Holdfocus(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Holdfocus"));
    // Given the focus by code only: never a stop of the Tab chain.
    setFocusPolicy(Qt::ClickFocus);
    // Out of sight, yet not hidden: a hidden widget cannot take the focus.
    setGeometry(-20, -20, 1, 1);
}

void Holdfocus::Take() {
    const QWidget* current = window()->focusWidget();
    if (current && current != this && current->isVisible() &&
        (current->focusPolicy() & Qt::TabFocus) &&
        window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    setFocus(Qt::OtherFocusReason);
}

} // namespace kelpo
