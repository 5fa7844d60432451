#include "insertion/BrowserLaunch.h"

#include "storage/Program.h"

namespace kelpo {

void LaunchBrowser(Program& program) {
    (void)program;
}

void ShowHelpPage(Program& program) {
    (void)program;
}

} // namespace kelpo
