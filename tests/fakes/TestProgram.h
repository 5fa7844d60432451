#pragma once
// A Program over a fresh temporary data folder with the fake platform, for tests.
#include "FakePlatform.h"
#include "storage/Program.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kelpo {

struct TestProgram {
    TestProgram();

    QTemporaryDir dir;
    FakePlatform fakes;
    Program program;

    // Path of a file in the program folder (or the current library's with `inLibrary`).
    QString Path(const QString& name) const { return program.ProgramFolder + name; }
    QString LibraryPath(const QString& name) const { return program.LibraryFolder + name; }

    // Whole file contents (empty when missing) and writing a file outright.
    static QByteArray ReadAll(const QString& path);
    static void WriteAll(const QString& path, const QByteArray& bytes);
};

} // namespace kelpo
