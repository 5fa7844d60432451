#include "TestProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelpo {

TestProgram::TestProgram() {
    program.ProgramFolder = dir.path() + '/';
    program.LibraryFolder = program.ProgramFolder + "Lib1/";
    program.platform = fakes.Get();
    program.SlotColors.fill(DefaultColor);
}

QByteArray TestProgram::ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestProgram::WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

} // namespace kelpo
