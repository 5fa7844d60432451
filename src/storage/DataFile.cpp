#include "storage/DataFile.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool ReplaceWholeFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    // Hidden and beside the file, so the rename stays on one file system and a leftover
    // from a crash is never taken for an entry file.
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral("-XXXXXX"));
    if (!temp.open())
        return false;
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (temp.write(bytes) != bytes.size() || !temp.flush())
        return false;
#ifdef Q_OS_UNIX
    if (::fsync(temp.handle()) != 0)
        return false;
#endif
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temp.fileName()).toStdString(),
                            QFile::encodeName(info.absoluteFilePath()).toStdString(), error);
    if (error)
        return false;
    temp.setAutoRemove(false);
    return true;
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
