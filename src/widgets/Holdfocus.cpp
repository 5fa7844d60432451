#include "widgets/Holdfocus.h"

namespace kelpo {

Holdfocus::Holdfocus(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Holdfocus"));
    setFocusPolicy(Qt::StrongFocus);
    // Out of sight, yet not hidden: a hidden widget cannot take the focus.
    setGeometry(-20, -20, 1, 1);
}

void Holdfocus::Take() {
    setFocus(Qt::OtherFocusReason);
}

} // namespace kelpo
