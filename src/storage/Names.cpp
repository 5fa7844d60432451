#include "storage/Names.h"

#include "core/Ansi.h"
#include "storage/DataFile.h"
#include "storage/Program.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace kelpo {

namespace {

QByteArray ColorBytes(std::uint32_t color) {
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((color >> (8 * i)) & 0xFF);
    return out;
}

std::uint32_t ReadColor(const QByteArray& bytes, int offset) {
    std::uint32_t color = 0;
    for (int i = 3; i >= 0; --i)
        color = (color << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return color;
}

QString Field(const QByteArray& bytes, int offset, int width) {
    return FromAnsi(TrimRight(bytes.mid(offset, width)));
}

// The first `size` bytes of a table file (fewer when the file is short). A missing or
// empty file is created with `defaults` first.
QByteArray ReadOrCreate(Program& program, const QString& path, const QByteArray& defaults,
                        qint64 size) {
    DataFile file(path);
    if (file.Length() != 0)
        return file.ReadAt(0, size);
    if (!file.WriteAt(0, defaults))
        ReportWriteFailure(program, path);
    return defaults;
}

// The folder path without its trailing '/', created one level only: the program folder
// must exist already.
void MakeFolder(const QString& folder) {
    QString path = folder;
    while (path.endsWith('/') && path.size() > 1)
        path.chop(1);
    // Only the user may list the entries of a library.
    ::mkdir(QFile::encodeName(path).constData(), 0700);
}

// Writes `record` at `offset` of a fixed-record file whose new-file content is
// `defaults`. A missing or empty file gets its defaults first, and a short file is
// filled up to the record with the defaults' bytes, so the records in between read as
// blank rather than as zero bytes.
bool WriteRecord(Program& program, const QString& path, const QByteArray& defaults, int offset,
                 const QByteArray& record) {
    bool ok = true;
    {
        DataFile file(path);
        const qint64 length = file.Length();
        if (length == 0)
            ok = file.WriteAt(0, defaults);
        else if (length < offset)
            ok = file.WriteAt(length, defaults.mid(length, offset - length));
        ok = ok && file.WriteAt(offset, record);
    }
    if (!ok)
        ReportWriteFailure(program, path);
    return ok;
}

} // namespace

QString LibraryFolderFor(const Program& program, int library) {
    return program.ProgramFolder + QStringLiteral("Lib%1/").arg(library + 1);
}

QByteArray DefaultLibraryNames() {
    return EncodeLibraryName(DefaultLibraryName) +
           QByteArray(LibraryNamesSize - LibraryNameLength, ' ');
}

QByteArray DefaultNames() {
    QByteArray out;
    out.reserve(NamesFileSize);
    for (int s = 0; s < SlotCount; ++s)
        out += EncodeNameRecord(QString(), DefaultColor);
    return out;
}

QByteArray EncodeNameRecord(const QString& name, std::uint32_t color) {
    return PadRight(ToAnsi(name).left(NameLength), NameLength) + ColorBytes(color);
}

QByteArray EncodeLibraryName(const QString& name) {
    return PadRight(ToAnsi(name).left(LibraryNameLength), LibraryNameLength);
}

void LoadLibraryNames(Program& program) {
    const QByteArray bytes = ReadOrCreate(program, program.ProgramFolder + LibraryNamesFileName,
                                          DefaultLibraryNames(), LibraryNamesSize);
    for (int i = 0; i < LibraryCount; ++i)
        program.LibraryNames[i] = Field(bytes, i * LibraryNameLength, LibraryNameLength);
}

void LoadNames(Program& program) {
    MakeFolder(program.LibraryFolder);
    const QByteArray bytes =
        ReadOrCreate(program, program.LibraryFolder + NamesFileName, DefaultNames(), NamesFileSize);

    for (int s = 0; s < SlotCount; ++s) {
        const int offset = s * NameRecordSize;
        program.SlotNames[s] = Field(bytes, offset, NameLength);
        // A colour cut short by the end of the file counts as missing.
        std::uint32_t color = 0;
        if (offset + NameRecordSize <= bytes.size())
            color = ReadColor(bytes, offset + NameLength);
        program.SlotColors[s] = color == 0 ? DefaultColor : color;
    }
}

bool WriteNameRecord(Program& program, const QString& libraryFolder, int slot, const QString& name,
                     std::uint32_t color) {
    if (slot < 0 || slot >= SlotCount)
        return false;
    MakeFolder(libraryFolder);
    return WriteRecord(program, libraryFolder + NamesFileName, DefaultNames(),
                       slot * NameRecordSize, EncodeNameRecord(name, color));
}

bool EraseNameRecord(Program& program, const QString& libraryFolder, int slot) {
    return WriteNameRecord(program, libraryFolder, slot, QString(), DefaultColor);
}

bool WriteLibraryNameRecord(Program& program, int library, const QString& name) {
    if (library < 0 || library >= LibraryCount)
        return false;
    return WriteRecord(program, program.ProgramFolder + LibraryNamesFileName, DefaultLibraryNames(),
                       library * LibraryNameLength, EncodeLibraryName(name));
}

NameRecord ReadNameRecord(const QString& libraryFolder, int slot) {
    NameRecord record;
    QFile file(libraryFolder + NamesFileName);
    if (slot < 0 || slot >= SlotCount || !file.open(QIODevice::ReadOnly) ||
        !file.seek(qint64(slot) * NameRecordSize))
        return record;
    const QByteArray bytes = file.read(NameRecordSize);
    record.name = Field(bytes, 0, NameLength);
    if (bytes.size() == NameRecordSize) {
        const std::uint32_t color = ReadColor(bytes, NameLength);
        record.color = color == 0 ? DefaultColor : color;
    }
    return record;
}

bool WriteSlotName(Program& program, int slot, const QString& name, std::uint32_t color) {
    const bool ok = WriteNameRecord(program, program.LibraryFolder, slot, name, color);
    LoadNames(program);
    return ok;
}

bool EraseSlotName(Program& program, int slot) {
    return WriteSlotName(program, slot, QString(), DefaultColor);
}

bool WriteLibraryName(Program& program, int library, const QString& name) {
    const bool ok = WriteLibraryNameRecord(program, library, name);
    LoadLibraryNames(program);
    return ok;
}

bool EraseLibraryName(Program& program, int library) {
    return WriteLibraryName(program, library, QString());
}

} // namespace kelpo
