#pragma once
// The one way data files are opened: an existing file is made writable first, a missing
// one is created empty, and nothing is ever truncated. Since these files hold passwords,
// every file is created and kept readable by the user only, and a symbolic link is read
// but never written through (nor has the mode of what it points to changed). Reads and writes are
// positional. The file closes when the object goes out of scope, so no file stays open between
// events.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace kelpo {

class DataFile {
public:
    explicit DataFile(const QString& path);
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    bool IsOpen() const { return file_.isOpen(); }
    qint64 Length() const;

    // Up to `length` bytes from `offset`; shorter (or empty) where the file ends first.
    QByteArray ReadAt(qint64 offset, qint64 length);

    // Exactly `length` bytes from `offset`: bytes beyond the end of the file read as
    // `fill`.
    QByteArray ReadPadded(qint64 offset, qint64 length, char fill = ' ');

    // Writes all of `bytes` at `offset`, growing the file when needed. False when the
    // file is not open or the write did not complete.
    bool WriteAt(qint64 offset, const QByteArray& bytes);

    void Close();

private:
    QFile file_;
};

// `text` padded on the right with blanks to `width` bytes (never cut).
QByteArray PadRight(const QByteArray& text, int width);

// `bytes` without trailing blanks (leading and inner blanks stay).
QByteArray TrimRight(const QByteArray& bytes);

} // namespace kelpo
