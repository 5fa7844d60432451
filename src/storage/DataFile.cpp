#include "storage/DataFile.h"

#include <QFileInfo>

namespace kelpo {

DataFile::DataFile(const QString& path) : file_(path) {
    if (QFileInfo::exists(path)) {
        // A read-only file becomes writable again, as a user who copied files from a
        // CD or another machine expects.
        file_.setPermissions(file_.permissions() | QFileDevice::ReadOwner |
                             QFileDevice::WriteOwner);
        file_.open(QIODevice::ReadWrite);
        if (!file_.isOpen())
            file_.open(QIODevice::ReadOnly);
        return;
    }
    if (file_.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        file_.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

qint64 DataFile::Length() const {
    return file_.isOpen() ? file_.size() : 0;
}

QByteArray DataFile::ReadAt(qint64 offset, qint64 length) {
    if (!file_.isOpen() || length <= 0 || !file_.seek(offset))
        return {};
    return file_.read(length);
}

QByteArray DataFile::ReadPadded(qint64 offset, qint64 length, char fill) {
    QByteArray bytes = ReadAt(offset, length);
    if (bytes.size() < length)
        bytes.append(QByteArray(length - bytes.size(), fill));
    return bytes;
}

bool DataFile::WriteAt(qint64 offset, const QByteArray& bytes) {
    if (!file_.isOpen() || !file_.isWritable() || !file_.seek(offset))
        return false;
    if (file_.write(bytes) != bytes.size())
        return false;
    return file_.flush();
}

void DataFile::Close() {
    file_.close();
}

bool ReadWholeFile(const QString& path, QByteArray* bytes) {
    DataFile file(path);
    if (!file.IsOpen())
        return false;
    const qint64 length = file.Length();
    *bytes = file.ReadAt(0, length);
    return bytes->size() == length;
}

bool ReplaceWholeFile(const QString& path, const QByteArray& bytes) {
    if (!RemoveDataFile(path))
        return false;
    DataFile file(path);
    return file.IsOpen() && (bytes.isEmpty() || file.WriteAt(0, bytes));
}

bool RemoveDataFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir())
        return false; // a folder where a file should be is never ours to remove
    // Opened first, as every data file is, so that a read-only file becomes removable.
    if (!info.isSymLink()) {
        DataFile touch(path);
    }
    return QFile::remove(path) || !QFileInfo::exists(path);
}

QByteArray PadRight(const QByteArray& text, int width) {
    if (text.size() >= width)
        return text;
    return text + QByteArray(width - text.size(), ' ');
}

QByteArray TrimRight(const QByteArray& bytes) {
    qsizetype end = bytes.size();
    while (end > 0 && bytes[end - 1] == ' ')
        --end;
    return bytes.left(end);
}

} // namespace kelpo
