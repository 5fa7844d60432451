#include "insertion/BrowserLaunch.h"

#include "platform/Browser.h"
#include "storage/Program.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace kelpo {

bool LaunchBrowser(Program& program) {
    // No browser on this system: nothing starts, and the caller goes on without it.
    return program.platform.browser && !program.CurrentUrl.isEmpty() &&
           program.platform.browser->Open(program.CurrentUrl);
}

QString HelpPagePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tutorial/1.htm");
}

QString HelpPageAddress(const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("/tutorial/1.htm");
    if (!QFileInfo(path).isFile())
        return {};
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

void ShowHelpPage(Program& program) {
    const QString address = HelpPageAddress(QCoreApplication::applicationDirPath());
    if (program.platform.browser && !address.isEmpty())
        program.platform.browser->Open(address);
}

} // namespace kelpo
