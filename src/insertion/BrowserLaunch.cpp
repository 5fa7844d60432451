#include "insertion/BrowserLaunch.h"

#include "platform/Browser.h"
#include "storage/Program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace kelpo {

bool LaunchBrowser(Program& program) {
    // No browser on this system: nothing starts, and the caller goes on without it.
    return program.platform.browser && !program.CurrentUrl.isEmpty() &&
           program.platform.browser->Open(program.CurrentUrl);
}

QStringList HelpPageFolders(const QString& programFolder, const QStringList& dataFolders) {
    QStringList folders{programFolder + QStringLiteral("/tutorial"),
                        programFolder + QStringLiteral("/../share/kelpo/tutorial")};
    for (const QString& data : dataFolders)
        folders.append(data + QStringLiteral("/kelpo/tutorial"));
    for (QString& folder : folders)
        folder = QDir::cleanPath(folder);
    return folders;
}

QString FindHelpPage(const QString& programFolder, const QStringList& dataFolders) {
    for (const QString& folder : HelpPageFolders(programFolder, dataFolders)) {
        const QFileInfo page(folder + QStringLiteral("/1.htm"));
        if (page.isFile())
            return QUrl::fromLocalFile(page.absoluteFilePath()).toString(QUrl::FullyEncoded);
    }
    return {};
}

void ShowHelpPage(Program& program) {
    const QString address =
        FindHelpPage(QCoreApplication::applicationDirPath(),
                     QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
    if (program.platform.browser && !address.isEmpty())
        program.platform.browser->Open(address);
}

} // namespace kelpo
