#include "entries/LibraryOps.h"

#include "core/Ansi.h"
#include "core/Constants.h"
#include "storage/DataFile.h"
#include "storage/FileSteps.h"
#include "storage/Names.h"
#include "storage/Program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace kelpo {

namespace {

// Where a swap stands; the journal holds the last phase that began.
enum class Phase { Folders, Restore, Names, Copy };

const char* const PhaseNames[] = {"folders", "restore", "names", "copy"};

struct SwapJournal {
    int from = 0;
    int to = 0;
    bool copy = false;
    // Which of the two folders were there before the swap began.
    bool fromExisted = false;
    bool toExisted = false;
    Phase phase = Phase::Folders;
    QString fromName;
    QString toName;
};

bool ValidLibrary(int library) {
    return library >= 0 && library < LibraryCount;
}

// A folder path without its trailing '/', as renames want it.
QString Bare(const QString& folder) {
    QString path = folder;
    while (path.endsWith('/') && path.size() > 1)
        path.chop(1);
    return path;
}

QString LibraryPath(const Program& program, int library) {
    return Bare(LibraryFolderFor(program, library));
}

QString SparePath(const Program& program) {
    return program.ProgramFolder + SpareLibraryName;
}

QString JournalPath(const Program& program) {
    return program.ProgramFolder + SwapJournalName;
}

bool Exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QByteArray EncodeJournal(const SwapJournal& j) {
    return QStringLiteral("Kelpo library swap\nfrom %1\nto %2\ncopy %3\nphase %4\n"
                          "from-name %5\nto-name %6\nexisted %7 %8\n")
        .arg(j.from)
        .arg(j.to)
        .arg(j.copy ? 1 : 0)
        .arg(QLatin1String(PhaseNames[int(j.phase)]))
        .arg(QLatin1String(ToAnsi(j.fromName).toHex()))
        .arg(QLatin1String(ToAnsi(j.toName).toHex()))
        .arg(j.fromExisted ? 1 : 0)
        .arg(j.toExisted ? 1 : 0)
        .toLatin1();
}

// False for anything but a whole journal of a valid swap.
bool DecodeJournal(const QByteArray& bytes, SwapJournal* j) {
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 8 || lines[0] != "Kelpo library swap")
        return false;
    auto value = [&](int line, const char* key) -> QByteArray {
        const QByteArray prefix = QByteArray(key) + ' ';
        return lines[line].startsWith(prefix) ? lines[line].mid(prefix.size()) : QByteArray("?");
    };
    bool okFrom = false, okTo = false;
    j->from = value(1, "from").toInt(&okFrom);
    j->to = value(2, "to").toInt(&okTo);
    const QByteArray copy = value(3, "copy");
    const QByteArray phase = value(4, "phase");
    const QByteArray existed = value(7, "existed");
    int p = 0;
    while (p < 4 && phase != PhaseNames[p])
        ++p;
    if (!okFrom || !okTo || !ValidLibrary(j->from) || !ValidLibrary(j->to) || j->from == j->to ||
        (copy != "0" && copy != "1") || p == 4 || existed.size() != 3 ||
        !QByteArray("01").contains(existed[0]) || !QByteArray("01").contains(existed[2]))
        return false;
    j->fromExisted = existed[0] == '1';
    j->toExisted = existed[2] == '1';
    j->copy = copy == "1";
    j->phase = Phase(p);
    j->fromName = FromAnsi(QByteArray::fromHex(value(5, "from-name")));
    j->toName = FromAnsi(QByteArray::fromHex(value(6, "to-name")));
    return true;
}

// Written whole or not at all (a new file renamed over the old one).
bool WriteJournal(FileSteps& steps, const SwapJournal& j) {
    if (!steps.Next())
        return false;
    QSaveFile file(JournalPath(steps.program()));
    return file.open(QIODevice::WriteOnly) && file.write(EncodeJournal(j)) >= 0 && file.commit();
}

bool RemoveJournal(FileSteps& steps) {
    return steps.Next() && RemoveDataFile(JournalPath(steps.program()));
}

// One folder rename; a missing source is nothing to do. Never onto an existing path.
bool RenameFolder(FileSteps& steps, const QString& from, const QString& to) {
    if (!steps.Next())
        return false;
    if (!Exists(from))
        return true;
    return !Exists(to) && QDir().rename(from, to);
}

// A spare folder whose place is taken: renamed to a free "Sparelib kept <n>" beside it
// and reported, never merged into anything.
void KeepAside(const QString& spare, QStringList& notices) {
    QString kept;
    for (int n = 1; n < 1000 && kept.isEmpty(); ++n) {
        const QString candidate = spare + QStringLiteral(" kept %1").arg(n);
        if (!Exists(candidate))
            kept = candidate;
    }
    const bool moved = !kept.isEmpty() && QDir().rename(spare, kept);
    const QString where = QDir::toNativeSeparators(moved ? kept : spare);
    notices += QStringLiteral("Kelpo found a library left over from a library move that was "
                              "cut short, and could not put it back because its place is "
                              "taken. Nothing was deleted: the library is kept, as it was, in "
                              "the folder\n%1")
                   .arg(where);
}

bool IsNamesFile(const QFileInfo& file) {
    return file.fileName().compare(QLatin1String(NamesFileName), Qt::CaseInsensitive) == 0;
}

// The files of library folder `from` copied into `to` (made when missing), each read back:
// every file but the names file, or the names file alone. The names file goes last, so a
// copy shows its entries only once every other file is in place.
enum class Part { AllButNames, Names };
bool CopyLibraryFiles(FileSteps& steps, const QString& from, const QString& to, Part part) {
    Program& program = steps.program();
    if (!steps.Next())
        return false;
    QDir().mkpath(to);
    for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files | QDir::Hidden | QDir::System,
                                                          QDir::Name | QDir::IgnoreCase)) {
        if (IsNamesFile(file) != (part == Part::Names))
            continue;
        QByteArray bytes;
        const QString target = to + '/' + file.fileName();
        if (!steps.Next() || !ReadWholeFile(file.filePath(), &bytes)) {
            ReportWriteFailure(program, file.filePath());
            return false;
        }
        QByteArray back;
        if (!ReplaceWholeFile(target, bytes) || !ReadWholeFile(target, &back) || back != bytes) {
            ReportWriteFailure(program, target);
            return false;
        }
    }
    return true;
}

bool WriteName(FileSteps& steps, int library, const QString& name) {
    return steps.Next() && WriteLibraryNameRecord(steps.program(), library, name);
}

// The swap from its journal's phase to the end: the folders back in place (phase
// Folders, which is undone) or the rest done (every later phase). The journal goes
// only when everything is done.
bool Finish(FileSteps& steps, SwapJournal& j, QStringList& notices) {
    Program& program = steps.program();
    const QString a = LibraryPath(program, j.from);
    const QString b = LibraryPath(program, j.to);
    const QString spare = SparePath(program);

    if (j.phase == Phase::Folders) {
        // Undo: the dragged library back from the target's place (it left its own only
        // by that rename), the spare back there.
        if (j.fromExisted && !Exists(a) && Exists(b) && !RenameFolder(steps, b, a))
            return false;
        if (j.toExisted && Exists(spare)) {
            if (Exists(b))
                KeepAside(spare, notices);
            else if (!RenameFolder(steps, spare, b))
                return false;
        }
        return RemoveJournal(steps);
    }
    if (j.phase == Phase::Restore) {
        if (Exists(spare)) {
            if (Exists(a))
                KeepAside(spare, notices);
            else if (!RenameFolder(steps, spare, a))
                return false;
        }
        j.phase = Phase::Names;
        if (!WriteJournal(steps, j))
            return false;
    }
    if (j.phase == Phase::Names) {
        if (!WriteName(steps, j.to, j.fromName) || !WriteName(steps, j.from, j.toName))
            return false;
        if (j.copy) {
            j.phase = Phase::Copy;
            if (!WriteJournal(steps, j))
                return false;
        }
    }
    if (j.phase == Phase::Copy) {
        if (!CopyLibraryFiles(steps, b, a, Part::AllButNames) ||
            !WriteName(steps, j.from, j.fromName) || !CopyLibraryFiles(steps, b, a, Part::Names))
            return false;
    }
    return RemoveJournal(steps);
}

const QRegularExpression& LibraryFilePattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^(names\\.dat|url\\.dat|page\\d{1,2}\\.dat|page\\d{1,2}\\.h|"
                       "note\\d{1,2}\\.txt)$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// Undoes or finishes the swap the journal describes; a damaged journal is dropped.
void ResumeFromJournal(Program& program, QStringList& notices) {
    const QString journal = JournalPath(program);
    QFile file(journal);
    SwapJournal j;
    const bool readable = file.open(QIODevice::ReadOnly) && DecodeJournal(file.readAll(), &j);
    file.close();
    FileSteps steps(program, QStringLiteral("recover"));
    if (readable ? !Finish(steps, j, notices) : !RemoveJournal(steps))
        ReportWriteFailure(program, journal);
}

} // namespace

bool IsLibraryFileName(const QString& fileName) {
    return LibraryFilePattern().match(fileName).hasMatch();
}

bool IsLibraryEmpty(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists())
        return true;
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString name = entry.fileName().toLower();
        if (name == QLatin1String("url.dat"))
            continue;
        if (name != QLatin1String("names.dat") || !entry.isFile())
            return false;
        QFile names(entry.filePath());
        if (!names.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = names.readAll();
        for (qsizetype at = 0; at < bytes.size(); at += NameRecordSize)
            if (!TrimRight(bytes.mid(at, NameLength)).isEmpty())
                return false;
    }
    return true;
}

LibraryOutcome MoveLibrary(Program& program, int from, int to, bool copyIfEmpty) {
    LibraryOutcome out;
    if (!ValidLibrary(from) || !ValidLibrary(to) || from == to)
        return out;
    FileSteps steps(program, QStringLiteral("swap"));
    if (Exists(SparePath(program)) || Exists(JournalPath(program))) {
        // An earlier swap is not put right yet; a second one would run over its spare.
        out.ok = false;
        out.notices += QStringLiteral("Kelpo cannot move the library now: the folder\n%1\nis "
                                      "left over from an earlier move. Restart Kelpo to put "
                                      "it back.")
                           .arg(QDir::toNativeSeparators(SparePath(program)));
        return out;
    }
    const QString a = LibraryPath(program, from);
    const QString b = LibraryPath(program, to);
    const QString spare = SparePath(program);
    SwapJournal j;
    j.from = from;
    j.to = to;
    j.copy = copyIfEmpty && IsLibraryEmpty(b);
    j.fromExisted = Exists(a);
    j.toExisted = Exists(b);
    j.fromName = program.LibraryNames[from];
    j.toName = program.LibraryNames[to];

    bool ok = WriteJournal(steps, j) && RenameFolder(steps, b, spare) && RenameFolder(steps, a, b);
    if (ok) {
        j.phase = Phase::Restore;
        ok = WriteJournal(steps, j) && Finish(steps, j, out.notices);
    }
    if (!ok && j.phase == Phase::Copy) {
        // A copy that failed is not tried again at the next start: by then the user may
        // have put entries into the library it would copy over. What it wrote so far
        // shows no entries (the names file comes last).
        RemoveDataFile(JournalPath(program));
    } else if (!ok && Exists(JournalPath(program))) {
        // Undone or finished now, as the journal says (and, should that fail too, at the
        // next start).
        ResumeFromJournal(program, out.notices);
    }
    if (!ok) {
        ReportWriteFailure(program, b);
        out.ok = false;
    }
    LoadLibraryNames(program);
    return out;
}

LibraryOutcome EraseLibrary(Program& program, int library) {
    LibraryOutcome out;
    if (!ValidLibrary(library))
        return out;
    FileSteps steps(program, QStringLiteral("erase-library"));
    const QString folder = LibraryPath(program, library);
    QDir dir(folder);
    if (dir.exists()) {
        QFileInfoList ours;
        QStringList others;
        for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot)) {
            if (entry.isFile() && !entry.isSymLink() && IsLibraryFileName(entry.fileName()))
                ours += entry;
            else
                others += entry.fileName();
        }
        // The names file first: from then on no entry of the library shows.
        std::stable_partition(ours.begin(), ours.end(), IsNamesFile);
        for (const QFileInfo& file : ours) {
            if (!steps.Next() || !RemoveDataFile(file.filePath())) {
                ReportWriteFailure(program, file.filePath());
                out.ok = false;
                return out;
            }
        }
        if (others.isEmpty()) {
            if (!steps.Next() || !dir.rmdir(folder)) {
                ReportWriteFailure(program, folder);
                out.ok = false;
                return out;
            }
        } else {
            others.sort(Qt::CaseInsensitive);
            out.notices += QStringLiteral("The library was erased, but its folder\n%1\nholds "
                                          "things Kelpo did not make, which were left in "
                                          "place:\n%2")
                               .arg(QDir::toNativeSeparators(folder), others.join('\n'));
        }
    }
    if (!WriteName(steps, library, QString())) {
        ReportWriteFailure(program, program.ProgramFolder + LibraryNamesFileName);
        out.ok = false;
    }
    LoadLibraryNames(program);
    return out;
}

QStringList RecoverLibraries(Program& program) {
    QStringList notices;
    const QString journal = JournalPath(program);
    if (!Exists(journal) && !Exists(SparePath(program)))
        return notices;
    if (Exists(journal))
        ResumeFromJournal(program, notices);
    // A spare folder that no journal explains (or whose journal was damaged): where it
    // belongs is unknown, so it is kept as it is, under a name of its own.
    if (Exists(SparePath(program)) && !Exists(journal))
        KeepAside(SparePath(program), notices);
    LoadLibraryNames(program);
    return notices;
}

} // namespace kelpo
