#include "storage/DataFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelpo {

namespace {

constexpr int OpenFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

// Only a plain file is a data file: a fifo or a device in its place would hang or
// swallow what is written.
int KeepIfRegular(int fd) {
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Opens `path` read/write without following a link in its last component; -1 when that
// cannot be done. A missing file is created 0600 from the start, so no other user can
// open it in between.
int OpenForWriting(const QByteArray& path) {
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | OpenFlags, 0600);
    if (fd < 0 && errno == EACCES) {
        // A read-only file becomes writable again, as a user who copied files from a CD
        // or another machine expects. The mode is changed on the file we opened, never
        // by name, so a link put in its place meanwhile is not followed.
        const int readOnly = KeepIfRegular(::open(path.constData(), O_RDONLY | OpenFlags));
        struct stat st {};
        if (readOnly >= 0 && ::fstat(readOnly, &st) == 0 &&
            ::fchmod(readOnly, (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0)
            fd = ::open(path.constData(), O_RDWR | OpenFlags);
        if (readOnly >= 0)
            ::close(readOnly);
    }
    fd = KeepIfRegular(fd);
    if (fd >= 0) {
        // The files hold passwords and what the user types into web forms: whatever let
        // others read one before, from now on only the user may.
        struct stat st {};
        if (::fstat(fd, &st) == 0 && (st.st_mode & 077))
            ::fchmod(fd, st.st_mode & 0700);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

} // namespace

DataFile::DataFile(const QString& path) : file_(path) {
    const QByteArray name = QFile::encodeName(path);
    int fd = OpenForWriting(name);
    QIODevice::OpenMode mode = QIODevice::ReadWrite;
    if (fd < 0) {
        // A symbolic link (or a file we may not write) is read but never written: what
        // it points to may lie outside the data folder. The failed write is reported.
        fd = KeepIfRegular(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        mode = QIODevice::ReadOnly;
    }
    if (fd >= 0 && !file_.open(fd, mode, QFileDevice::AutoCloseHandle))
        ::close(fd);
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
