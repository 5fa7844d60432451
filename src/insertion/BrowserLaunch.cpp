#include "insertion/BrowserLaunch.h"

#include "platform/Browser.h"
#include "storage/Program.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace kelpo {

void LaunchBrowser(Program& program) {
    // No browser on this system: nothing happens, as with any failure here.
    if (program.platform.browser && !program.CurrentUrl.isEmpty())
        program.platform.browser->Open(program.CurrentUrl);
}

QString HelpPagePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tutorial/1.htm");
}

void ShowHelpPage(Program& program) {
    const QString path = HelpPagePath();
    if (!program.platform.browser || !QFileInfo::exists(path))
        return;
    program.platform.browser->Open(QUrl::fromLocalFile(path).toString());
}

} // namespace kelpo
