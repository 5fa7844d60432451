#pragma once
// Data of the layout before libraries existed, when every file lay directly in the data
// folder, becomes the first library.
#include <QString>
#include <QStringList>

namespace kelpo {

struct Program;

// True for the file names that belonged to that one library: "name…", "note…" but not
// "notes…", "page…" but not "pages…", and "url.dat", compared in lower case.
bool IsOldLayoutFile(const QString& fileName);

// When the data folder holds "Names.dat", moves the old layout's files into "Lib1/". A
// file whose name Lib1 already holds is never overwritten: it stays where it is.
// Returns the names of the files left behind that way.
QStringList ConvertOldData(Program& program);

} // namespace kelpo
