#pragma once
// A message the user must read that needs no answer (something was kept aside, or left
// in place). It opens after the current event, so it never interrupts the operation that
// raised it, and does not block.
#include <QString>

class QWidget;

namespace kelpo {

void ShowNotice(QWidget* parent, const QString& text);

} // namespace kelpo
