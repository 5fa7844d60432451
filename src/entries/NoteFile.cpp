#include "entries/NoteFile.h"

#include "core/Ansi.h"
#include "entries/PageFiles.h"
#include "storage/DataFile.h"

#include <QFile>

#include <algorithm>

namespace kelpo {

QString LookAtNote(const QString& libraryFolder, int slot) {
    const QString path = NoteFilePath(libraryFolder, slot);
    if (!QFile::exists(path))
        return {};
    QString text;
    {
        DataFile file(path);
        text = FromAnsi(file.ReadAt(0, file.Length()));
    }
    // Blank means nothing but spaces (line breaks are text).
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c == ' '; }))
        QFile::remove(path);
    return text;
}

QString OpenNote(const QString& libraryFolder, int slot) {
    DataFile file(NoteFilePath(libraryFolder, slot));
    return FromAnsi(file.ReadAt(0, file.Length()));
}

bool SaveNote(const QString& libraryFolder, int slot, const QString& text) {
    if (!IsAnsiText(text))
        return false;
    return ReplaceWholeFile(NoteFilePath(libraryFolder, slot), ToAnsi(text));
}

QString NoteLineFeeds(const QString& fileText) {
    QString text = fileText;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString NoteCrLfs(const QString& boxText) {
    QString text = NoteLineFeeds(boxText);
    return text.replace('\n', QStringLiteral("\r\n"));
}

} // namespace kelpo
