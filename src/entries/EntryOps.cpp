#include "entries/EntryOps.h"

#include "entries/PageFiles.h"
#include "storage/DataFile.h"
#include "storage/FileSteps.h"
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

bool SamePlace(const EntryPlace& a, const EntryPlace& b) {
    return a.slot == b.slot && QDir(a.folder) == QDir(b.folder);
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

// Record `slot` of a library's URL file as stored; a missing file or record reads as
// blanks, as ReadUrl reads it. False when the file is there but cannot be read.
bool ReadUrlRecord(const EntryPlace& at, QByteArray* record) {
    const qint64 offset = qint64(at.slot) * UrlRecordSize;
    QFile file(UrlFilePath(at.folder));
    record->clear();
    if (file.open(QIODevice::ReadOnly) && file.seek(offset))
        *record = file.read(UrlRecordSize);
    else if (file.exists() && file.size() > offset)
        return false;
    *record = PadRight(*record, UrlRecordSize);
    return true;
}

QByteArray NameRecordBytes(const QString& folder, int slot) {
    const NameRecord name = ReadNameRecord(folder, slot);
    return EncodeNameRecord(name.name, name.color);
}

// The five stores of `from` written to `to`, each read back and compared, with the names
// record last: until it is written the target slot shows nothing, so a copy cut short at
// any step leaves no half-written entry in sight, and the source is never touched.
bool CopyStores(FileSteps& steps, const EntryPlace& from, const EntryPlace& to) {
    Program& program = steps.program();
    QDir().mkpath(to.folder);

    QByteArray url;
    if (!steps.Next() || !ReadUrlRecord(from, &url))
        return Fail(program, UrlFilePath(from.folder));
    const qint64 urlOffset = qint64(to.slot) * UrlRecordSize;
    bool written = false;
    if (steps.Next()) {
        DataFile target(UrlFilePath(to.folder));
        written = target.WriteAt(urlOffset, url) && target.ReadAt(urlOffset, UrlRecordSize) == url;
    }
    if (!written)
        return Fail(program, UrlFilePath(to.folder));

    const QStringList sources = EntryFiles(from);
    const QStringList targets = EntryFiles(to);
    for (int i = 0; i < sources.size(); ++i) {
        QByteArray bytes;
        if (!steps.Next() || !ReadWholeFile(sources[i], &bytes))
            return Fail(program, sources[i]);
        QByteArray back;
        if (!steps.Next() || !ReplaceWholeFile(targets[i], bytes) ||
            !ReadWholeFile(targets[i], &back) || back != bytes)
            return Fail(program, targets[i]);
    }

    const NameRecord name = ReadNameRecord(from.folder, from.slot);
    if (!steps.Next() || !WriteNameRecord(program, to.folder, to.slot, name.name, name.color))
        return Fail(program, to.folder + NamesFileName);
    if (NameRecordBytes(to.folder, to.slot) != EncodeNameRecord(name.name, name.color))
        return Fail(program, to.folder + NamesFileName);
    return true;
}

// The names record goes first: once it is blank the entry is gone from sight, and a
// failure there leaves the entry whole. The other stores are tried even after one fails.
bool EraseStores(FileSteps& steps, const EntryPlace& at, NoteFile note) {
    Program& program = steps.program();
    if (!steps.Next() || !EraseNameRecord(program, at.folder, at.slot))
        return Fail(program, at.folder + NamesFileName);
    bool ok = true;
    if (!steps.Next() || !WriteUrl(at.folder, at.slot, QString()))
        ok = Fail(program, UrlFilePath(at.folder));
    for (const QString& path : EntryFiles(at)) {
        if (note == NoteFile::Keep && path == NoteFilePath(at.folder, at.slot))
            continue;
        if (!steps.Next() || !RemoveDataFile(path))
            ok = Fail(program, path);
    }
    return ok;
}

} // namespace

bool EraseEntry(Program& program, const EntryPlace& at, NoteFile note) {
    if (!ValidPlace(at))
        return false;
    FileSteps steps(program, QStringLiteral("erase"));
    return EraseStores(steps, at, note);
}

bool CopyEntry(Program& program, const EntryPlace& from, const EntryPlace& to) {
    if (!ValidPlace(from) || !ValidPlace(to))
        return false;
    if (SamePlace(from, to))
        return true;
    FileSteps steps(program, QStringLiteral("copy"));
    return CopyStores(steps, from, to);
}

bool MoveEntry(Program& program, const EntryPlace& from, const EntryPlace& to) {
    if (!ValidPlace(from) || !ValidPlace(to))
        return false;
    if (SamePlace(from, to))
        return true;
    FileSteps steps(program, QStringLiteral("move"));
    return CopyStores(steps, from, to) && EraseStores(steps, from, NoteFile::Erase);
}

} // namespace kelpo
