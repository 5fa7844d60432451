#pragma once
// The command line and where the data lives.
#include "core/Version.h"

#include <QString>
#include <QStringList>

namespace kelpo {

inline constexpr char DataFolderVariable[] = "KELPO_DATA_DIR";

struct CommandLine {
    bool help = false;
    bool version = false;
    QString dataDir; // as given with --data-dir, empty when not given
    QString error;   // what is wrong with the command line, empty when nothing
};

// Reads our options from the arguments (the first one is the program). Unknown options
// are errors when `strict`; otherwise they are left alone, for Qt's own options (such as
// -platform) are only taken out once the application object exists.
CommandLine ParseCommandLine(const QStringList& arguments, bool strict);

// The text printed for --help.
QString UsageText(const QString& programName);

// The data folder, absolute and ending in '/': the --data-dir argument, else the
// environment variable, else the program's own folder when it already holds "Kelpo.ini"
// or an old-layout "Names.dat" (a portable installation), else the per-user folder. A
// relative folder is taken relative to the current folder.
QString ResolveDataFolder(const QString& dataDirArgument, const QString& environmentValue,
                          const QString& programFolder, const QString& perUserFolder);

// Creates the folder (with its parents) when missing; false when it does not exist
// afterwards. When it is the per-user folder it is made, or narrowed to, 0700.
bool MakeDataFolder(const QString& folder, const QString& perUserFolder);

} // namespace kelpo
