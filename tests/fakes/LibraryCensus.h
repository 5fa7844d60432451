#pragma once
// Test data for whole entries and libraries, written byte by byte, and a census of what
// a data folder shows: every named slot of Lib1-Lib19 with all five of its stores, so
// that a test can tell an entry that is whole from one that is lost or half-written.
#include "TestProgram.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kelpo::census {

inline QByteArray NameBytes(const QByteArray& name, quint32 color = 0x00FFFFFF) {
    QByteArray out = name.leftJustified(30, ' ');
    for (int i = 0; i < 4; ++i)
        out.append(char((color >> (8 * i)) & 0xFF));
    return out;
}

inline QByteArray FileOrEmpty(const QString& path) {
    return TestProgram::ReadAll(path);
}

// Writes a whole entry into slot `slot` of `folder` (which ends in '/'), keeping the
// other records of its names and URL files. Every store differs with `seed`.
inline void WriteEntry(const QString& folder, int slot, const QByteArray& name, char seed,
                       bool withNote = true) {
    QByteArray names = FileOrEmpty(folder + "Names.dat");
    if (names.isEmpty())
        names = NameBytes("").repeated(51);
    names.replace(slot * 34, 34, NameBytes(name, 0x00010203u * quint8(seed)));
    TestProgram::WriteAll(folder + "Names.dat", names);
    QByteArray urls = FileOrEmpty(folder + "url.dat");
    urls = urls.leftJustified((slot + 1) * 1000, ' ');
    urls.replace(slot * 1000, 1000, QByteArray("https://").append(seed).leftJustified(1000, ' '));
    TestProgram::WriteAll(folder + "url.dat", urls);
    // No password (a blank field), so that opening the entry asks for none.
    TestProgram::WriteAll(folder + QStringLiteral("Page%1.dat").arg(slot),
                          QByteArray(30, ' ') + QByteArray(8000, char(0x80 | seed)));
    TestProgram::WriteAll(folder + QStringLiteral("Page%1.h").arg(slot),
                          QByteArray(80, '\0').replace(2 * (seed % 40), 1, "\x01"));
    if (withNote)
        TestProgram::WriteAll(folder + QStringLiteral("Note%1.txt").arg(slot),
                              QByteArray("note ").append(seed));
}

// One shown entry: its five stores as bytes (a missing file counts as empty).
inline QByteArray Entry(const QString& folder, int slot) {
    const QByteArray name = FileOrEmpty(folder + "Names.dat").mid(slot * 34, 34);
    const QByteArray url = FileOrEmpty(folder + "url.dat").mid(slot * 1000, 1000);
    return name + '|' + url.leftJustified(1000, ' ') + '|' +
           FileOrEmpty(folder + QStringLiteral("Page%1.dat").arg(slot)) + '|' +
           FileOrEmpty(folder + QStringLiteral("Page%1.h").arg(slot)) + '|' +
           FileOrEmpty(folder + QStringLiteral("Note%1.txt").arg(slot));
}

// Every named slot 0-49 of Lib1-Lib19: "Lib<k>/<slot>" -> its stores.
inline QMap<QString, QByteArray> Shown(const QString& programFolder) {
    QMap<QString, QByteArray> shown;
    for (int k = 1; k <= 19; ++k) {
        const QString folder = programFolder + QStringLiteral("Lib%1/").arg(k);
        const QByteArray names = FileOrEmpty(folder + "Names.dat");
        for (int slot = 0; slot < 50; ++slot)
            if (!names.mid(slot * 34, 30).trimmed().isEmpty())
                shown.insert(QStringLiteral("Lib%1/%2").arg(k).arg(slot), Entry(folder, slot));
    }
    return shown;
}

// The library name of each library that shows entries, with what it shows.
inline QMap<QString, QByteArray> NamedContents(const QString& programFolder) {
    const QByteArray libnames = FileOrEmpty(programFolder + "Libnames.dat");
    const QMap<QString, QByteArray> shown = Shown(programFolder);
    QMap<QString, QByteArray> out;
    for (int k = 1; k <= 19; ++k) {
        QByteArray all;
        for (int slot = 0; slot < 50; ++slot)
            all += shown.value(QStringLiteral("Lib%1/%2").arg(k).arg(slot));
        if (!all.isEmpty())
            out.insert(QString::fromLatin1(libnames.mid((k - 1) * 13, 13).trimmed()), all);
    }
    return out;
}

struct Count {
    int lost = 0; // an entry shown before, whole nowhere now (erased ones aside)
    int half = 0; // a slot shown now that is not whole copy of an entry shown before
};

inline Count Compare(const QMap<QString, QByteArray>& before,
                     const QMap<QString, QByteArray>& after, const QStringList& erasable = {}) {
    Count count;
    const QList<QByteArray> now = after.values();
    const QList<QByteArray> then = before.values();
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!erasable.contains(it.key()) && !now.contains(it.value()))
            ++count.lost;
    for (const QByteArray& entry : now)
        if (!then.contains(entry))
            ++count.half;
    return count;
}

} // namespace kelpo::census
