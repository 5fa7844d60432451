#pragma once
// The quick-help texts of the insertion window, shown while an entry is being tested.
#include <QString>

namespace kelpo {

// The text for the control named `control` ("AutoBtn", or "Names" for any clip row);
// empty for a control without help.
QString InsertionHelpText(const QString& control);

} // namespace kelpo
