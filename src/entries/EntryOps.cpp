#include "entries/EntryOps.h"

#include "entries/PageFiles.h"
#include "storage/DataFile.h"
#include "storage/Names.h"
#include "storage/Program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelpo {

namespace {

bool ValidPlace(const EntryPlace& at) {
    return at.slot >= 0 && at.slot < SlotCount && !at.folder.isEmpty();
}

// The per-entry files in the order they are copied.
QStringList EntryFiles(const EntryPlace& at) {
    return {PageFilePath(at.folder, at.slot), NoteFilePath(at.folder, at.slot),
            HideFilePath(at.folder, at.slot)};
}

bool Fail(Program& program, const QString& path) {
    ReportWriteFailure(program, path);
    return false;
}

// Removes `path`. It is opened and closed first, as every data file is, so that a
// read-only file becomes removable. A file that was not there counts as removed.
bool RemoveFile(const QString& path) {
    if (!QFileInfo::exists(path))
        return true;
    { DataFile touch(path); }
    return QFile::remove(path) || !QFileInfo::exists(path);
}

// The whole content of `path`, created empty when missing. False when it cannot be read.
bool ReadWhole(const QString& path, QByteArray* bytes) {
    DataFile file(path);
    if (!file.IsOpen())
        return false;
    const qint64 length = file.Length();
    *bytes = file.ReadAt(0, length);
    return bytes->size() == length;
}

// `path` replaced by exactly `bytes`.
bool WriteWhole(const QString& path, const QByteArray& bytes) {
    if (!RemoveFile(path))
        return false;
    DataFile file(path);
    return file.IsOpen() && (bytes.isEmpty() || file.WriteAt(0, bytes));
}

bool CopyUrlRecord(const EntryPlace& from, const EntryPlace& to) {
    const qint64 offset = qint64(from.slot) * UrlRecordSize;
    QByteArray record;
    {
        QFile source(UrlFilePath(from.folder));
        // A missing file or record reads as blanks, as ReadUrl reads it.
        if (source.open(QIODevice::ReadOnly) && source.seek(offset))
            record = source.read(UrlRecordSize);
        else if (source.exists() && source.size() > offset)
            return false;
    }
    record = PadRight(record, UrlRecordSize);
    DataFile target(UrlFilePath(to.folder));
    return target.WriteAt(qint64(to.slot) * UrlRecordSize, record);
}

} // namespace

bool EraseEntry(Program& program, const EntryPlace& at, NoteFile note) {
    if (!ValidPlace(at))
        return false;
    // Reports its own failure.
    bool ok = EraseNameRecord(program, at.folder, at.slot);
    if (!WriteUrl(at.folder, at.slot, QString()))
        ok = Fail(program, UrlFilePath(at.folder));
    for (const QString& path : EntryFiles(at)) {
        if (note == NoteFile::Keep && path == NoteFilePath(at.folder, at.slot))
            continue;
        if (!RemoveFile(path))
            ok = Fail(program, path);
    }
    return ok;
}

bool CopyEntry(Program& program, const EntryPlace& from, const EntryPlace& to) {
    if (!ValidPlace(from) || !ValidPlace(to))
        return false;
    if (from.slot == to.slot && QDir(from.folder) == QDir(to.folder))
        return true;
    QDir().mkpath(to.folder);
    const NameRecord name = ReadNameRecord(from.folder, from.slot);
    if (!WriteNameRecord(program, to.folder, to.slot, name.name, name.color))
        return false;
    if (!CopyUrlRecord(from, to))
        return Fail(program, UrlFilePath(to.folder));
    const QStringList sources = EntryFiles(from);
    const QStringList targets = EntryFiles(to);
    for (int i = 0; i < sources.size(); ++i) {
        QByteArray bytes;
        if (!ReadWhole(sources[i], &bytes))
            return Fail(program, sources[i]);
        if (!WriteWhole(targets[i], bytes))
            return Fail(program, targets[i]);
    }
    return true;
}

bool MoveEntry(Program& program, const EntryPlace& from, const EntryPlace& to) {
    if (!ValidPlace(from) || !ValidPlace(to))
        return false;
    if (from.slot == to.slot && QDir(from.folder) == QDir(to.folder))
        return true;
    if (!CopyEntry(program, from, to))
        return false;
    return EraseEntry(program, from);
}

} // namespace kelpo
