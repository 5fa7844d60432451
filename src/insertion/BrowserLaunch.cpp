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

QString HelpPageAddress(const QString& programFolder, const QString& page) {
    const QString path = programFolder + QStringLiteral("/tutorial/") + page;
    if (!QFileInfo(path).isFile())
        return {};
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

void ShowHelpPage(Program& program, const QString& page) {
    const QString address = HelpPageAddress(QCoreApplication::applicationDirPath(), page);
    if (program.platform.browser && !address.isEmpty())
        program.platform.browser->Open(address);
}

} // namespace kelpo
