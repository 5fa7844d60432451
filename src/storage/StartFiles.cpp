#include "storage/StartFiles.h"

#include "storage/Names.h"
#include "storage/Program.h"
#include "storage/Settings.h"

namespace kelpo {

void UseDataFolder(Program& program, const QString& dataFolder) {
    program.ProgramFolder = dataFolder.endsWith('/') ? dataFolder : dataFolder + '/';
    program.LibraryFolder = program.ProgramFolder + QStringLiteral("Lib1/");
}

void LoadLibraryFiles(Program& program, QSize screen, QSize mainWindow) {
    program.LibraryFolder = LibraryFolderFor(program, program.settings.Library);
    CheckWindowPositions(program, screen, mainWindow);
    LoadNames(program);
    LoadLibraryNames(program);
}

} // namespace kelpo
