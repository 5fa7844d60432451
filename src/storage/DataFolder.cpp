#include "storage/DataFolder.h"

#include "storage/Names.h"
#include "storage/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace kelpo {

namespace {

QString AsFolder(const QString& path) {
    QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments, bool strict) {
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.help = true;
        } else if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            line.version = true;
        } else if (arg == QLatin1String("--data-dir")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                line.error = QStringLiteral("option --data-dir needs a folder");
                return line;
            }
            line.dataDir = arguments[++i];
        } else if (arg.startsWith(QLatin1String("--data-dir="))) {
            line.dataDir = arg.mid(int(qstrlen("--data-dir=")));
            if (line.dataDir.isEmpty()) {
                line.error = QStringLiteral("option --data-dir needs a folder");
                return line;
            }
        } else if (strict) {
            line.error = arg.startsWith('-') ? QStringLiteral("unknown option %1").arg(arg)
                                             : QStringLiteral("unexpected argument %1").arg(arg);
            return line;
        }
    }
    return line;
}

QString UsageText(const QString& programName) {
    return QStringLiteral(
               "Usage: %1 [--data-dir FOLDER]\n"
               "Keeps web bookmarks with clip sets and types the clips into web forms.\n"
               "\n"
               "  --data-dir FOLDER  keep the data in FOLDER (also: %2=FOLDER)\n"
               "  -h, --help         show this help and exit\n"
               "  -v, --version      show the version and exit\n"
               "\n"
               "Without a folder, the data lives beside the program when it already holds\n"
               "Kelpo.ini or Names.dat there, else in the per-user data folder.\n")
        .arg(programName, QString::fromLatin1(DataFolderVariable));
}

QString ResolveDataFolder(const QString& dataDirArgument, const QString& environmentValue,
                          const QString& programFolder, const QString& perUserFolder) {
    if (!dataDirArgument.isEmpty())
        return AsFolder(dataDirArgument);
    if (!environmentValue.isEmpty())
        return AsFolder(environmentValue);
    const QString own = AsFolder(programFolder);
    if (QFileInfo::exists(own + SettingsFileName) || QFileInfo::exists(own + NamesFileName))
        return own;
    return AsFolder(perUserFolder);
}

bool MakeDataFolder(const QString& folder, const QString& perUserFolder) {
    const QString path = QDir::cleanPath(folder);
    if (folder != AsFolder(perUserFolder)) {
        // A folder the user chose, or a portable installation, keeps the rights it has.
        QDir().mkpath(path);
        return QFileInfo(path).isDir();
    }
    // The per-user folder holds the passwords of one user: nobody else may even list it.
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray name = QFile::encodeName(path);
    ::mkdir(name.constData(), 0700);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return QFileInfo(path).isDir();
    if ((st.st_mode & 077) && st.st_uid == ::geteuid())
        ::chmod(name.constData(), st.st_mode & 0700);
    return true;
}

} // namespace kelpo
