#pragma once

namespace kelpo {

struct Program;

// Starts the default browser on CurrentUrl.
void LaunchBrowser(Program& program);

// Opens the help pages ("tutorial/1.htm" beside the program) in the browser.
void ShowHelpPage(Program& program);

} // namespace kelpo
