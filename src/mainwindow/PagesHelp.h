#pragma once
// What the main window's quick-help panel says about each of its controls.
#include "widgets/QuickHelp.h"

namespace kelpo {

// The help for the control `name` (without an array index). A name slot has two texts: the
// set-up hint while it is empty, the usage hint once `slotHasName`. A name the table does
// not know gets the general help.
HelpText MainWindowHelp(const QString& name, bool slotHasName);

} // namespace kelpo
