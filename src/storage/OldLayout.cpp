#include "storage/OldLayout.h"

#include "storage/Names.h"
#include "storage/Program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelpo {

bool IsOldLayoutFile(const QString& fileName) {
    const QString name = fileName.toLower();
    return name.startsWith(QLatin1String("name")) ||
           (name.startsWith(QLatin1String("note")) && !name.startsWith(QLatin1String("notes"))) ||
           (name.startsWith(QLatin1String("page")) && !name.startsWith(QLatin1String("pages"))) ||
           name == QLatin1String("url.dat");
}

QStringList ConvertOldData(Program& program) {
    QStringList leftBehind;
    const QString from = program.ProgramFolder;
    if (!QFileInfo::exists(from + NamesFileName))
        return leftBehind;

    const QString to = from + QStringLiteral("Lib1/");
    QDir().mkdir(QDir::cleanPath(to));

    const QStringList files =
        QDir(from).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : files) {
        if (!IsOldLayoutFile(name))
            continue;
        const QString target = to + name;
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
            leftBehind.append(name);
            continue;
        }
        QFile file(from + name);
        // A read-only file copied from elsewhere is made writable, as every data file is
        // when it is opened.
        file.setPermissions(file.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // Qt's rename never replaces an existing file, so a file that appears in Lib1
        // meanwhile is still safe.
        if (!file.rename(target))
            leftBehind.append(name);
    }
    return leftBehind;
}

} // namespace kelpo
