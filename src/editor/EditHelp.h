#pragma once
// What the Website Editor's quick-help panel says about each of its controls.
#include "widgets/QuickHelp.h"

#include <optional>

namespace kelpo {

// The help for the control described as `controlDesc` ("Names(11)", "SaveBtn"): names are
// compared exactly; for the command buttons (Names) the index chooses the text, and an
// index outside 0-12 (or none) gives nothing (the panel keeps what it shows). Other names ignore
// the index; a name the table does not know gets the general help. "" gives nothing.
std::optional<HelpText> EditorHelp(const QString& controlDesc);

} // namespace kelpo
