#include "storage/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelpo {

namespace {

constexpr char ShowRequest[] = "show\n";
constexpr char ShowAnswer[] = "ok\n";
// A request is one short line; a client sending more is not one of ours.
constexpr int MaxRequest = 64;

bool Address(const QString& path, sockaddr_un* address) {
    const QByteArray name = QFile::encodeName(path);
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (name.size() >= int(sizeof(address->sun_path)))
        return false;
    std::memcpy(address->sun_path, name.constData(), size_t(name.size()));
    return true;
}

// Waits for `fd` to become ready for `events`, at most until `deadline`.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = poll(&p, 1, int(deadline.remainingTime()));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

QString SingleInstance::ShortSocketFolder() {
    QString temp = QDir::tempPath();
    if (QFile::encodeName(temp).size() > 40)
        temp = QStringLiteral("/tmp");
    return temp + QStringLiteral("/kelpo-") + QString::number(::geteuid());
}

QString SingleInstance::KeyFor(const QString& dataFolder) {
    QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(QDir::current().absoluteFilePath(dataFolder));
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("kelpo-") + QString::fromLatin1(hash.left(20));
}

SingleInstance::SingleInstance(const QString& dataFolder, const QString& runtimeFolder,
                               QObject* parent)
    : QObject(parent) {
    QString folder = runtimeFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    base_ = QDir(folder).filePath(KeyFor(dataFolder));
    socketPath_ = base_ + QStringLiteral(".socket");
    sockaddr_un address;
    if (!Address(socketPath_, &address)) {
        // A socket's name holds at most 107 bytes, less than a deep runtime folder needs:
        // the socket then lives in a private folder of ours under the temporary folder,
        // named after the whole path so that every runtime folder keeps its own.
        const QByteArray hash =
            QCryptographicHash::hash(QFile::encodeName(socketPath_), QCryptographicHash::Sha256)
                .toHex();
        socketPath_ = ShortSocketFolder() + QStringLiteral("/kelpo-") +
                      QString::fromLatin1(hash.left(20)) + QStringLiteral(".socket");
    }
    lock_ = std::make_unique<QLockFile>(LockPath());
    // A lock is stale only when its process is gone, however long the program has run.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        delete it->notifier;
        ::close(it.key());
    }
    if (listenFd_ >= 0) {
        delete listener_;
        ::close(listenFd_);
        // The socket file is ours while we hold the lock; it goes before the lock does.
        ::unlink(QFile::encodeName(SocketPath()).constData());
    }
}

SingleInstance::Claim SingleInstance::ClaimOrNotify(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (lock_->tryLock(0)) {
            Listen();
            return Claim::First;
        }
        if (lock_->error() != QLockFile::LockFailedError) {
            // The runtime folder cannot hold a lock at all: run rather than refuse to
            // start, without the guard.
            qWarning("kelpo: cannot create %s; not checking for a running instance",
                     qPrintable(LockPath()));
            return Claim::First;
        }
        switch (NotifyRunning(int(std::max<qint64>(deadline.remainingTime(), 500)))) {
        case Answer::Answered:
            return Claim::Notified;
        case Answer::Silent:
            return Claim::NoAnswer;
        case Answer::NotListening:
            break;
        }
        if (deadline.hasExpired())
            return Claim::NoAnswer;
        // The holder is still starting and not listening yet.
        QThread::msleep(50);
    }
}

bool SingleInstance::Listen() {
    sockaddr_un address;
    if (!Address(SocketPath(), &address)) {
        qWarning("kelpo: socket path too long: %s", qPrintable(SocketPath()));
        return false;
    }
    if (!PrivateFolderReady()) {
        qWarning("kelpo: %s is not a private folder of ours; not listening",
                 qPrintable(QFileInfo(SocketPath()).path()));
        return false;
    }
    // We hold the lock, so a socket file left here belongs to a program that crashed.
    ::unlink(address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Only this user may connect: the socket is made without rights for anyone else.
    const mode_t oldMask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(fd, 8) != 0) {
        qWarning("kelpo: cannot listen on %s: %s", address.sun_path, std::strerror(errno));
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    listener_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(listener_, &QSocketNotifier::activated, this, &SingleInstance::OnNewConnection);
    return true;
}

bool SingleInstance::PrivateFolderReady() const {
    const QString folder = QFileInfo(SocketPath()).path();
    if (base_.startsWith(folder + '/'))
        return true; // the runtime folder itself
    // Anyone may create folders in the temporary folder: ours must be a real folder,
    // owned by us and closed to others, or another user could answer in our place.
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    struct stat st {};
    return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

SingleInstance::Answer SingleInstance::NotifyRunning(int answerWaitMs) {
    sockaddr_un address;
    if (!Address(SocketPath(), &address) || !PrivateFolderReady())
        return Answer::NotListening;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Answer::NotListening;
    const QDeadlineTimer connectDeadline(1000);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!ok && errno == EAGAIN) {
        // The backlog is full: the holder is busy; give it a moment.
        while (!ok && !connectDeadline.hasExpired()) {
            QThread::msleep(20);
            ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        }
    }
    if (ok)
        ok = ::send(fd, ShowRequest, sizeof ShowRequest - 1, MSG_NOSIGNAL) ==
             ssize_t(sizeof ShowRequest - 1);
    if (!ok) {
        ::close(fd);
        return Answer::NotListening;
    }
    // Only the answer shows the instance is alive: a stopped or hung one still has its
    // connections accepted by the system, and a start that took that for an answer
    // would end without a word while nothing comes to the front.
    const QDeadlineTimer answerDeadline(answerWaitMs);
    QByteArray answer;
    while (!answer.contains('\n') && WaitFor(fd, POLLIN, answerDeadline)) {
        char buffer[8];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, qsizetype(n));
    }
    ::close(fd);
    return answer == ShowAnswer ? Answer::Answered : Answer::Silent;
}

void SingleInstance::OnNewConnection() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        clients_.insert(fd, Client{notifier, {}});
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { OnReadable(fd); });
    }
}

void SingleInstance::OnReadable(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end())
        return;
    char buffer[MaxRequest];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        Drop(fd);
        return;
    }
    it->request.append(buffer, qsizetype(n));
    if (it->request == ShowRequest) {
        (void)::send(fd, ShowAnswer, sizeof ShowAnswer - 1, MSG_NOSIGNAL);
        Drop(fd);
        emit showRequested();
        return;
    }
    if (it->request.contains('\n') || it->request.size() >= MaxRequest)
        Drop(fd);
}

void SingleInstance::Drop(int fd) {
    const auto it = clients_.find(fd);
    if (it != clients_.end()) {
        // Called from the notifier's own signal: it may only go once that returns.
        it->notifier->setEnabled(false);
        it->notifier->deleteLater();
        clients_.erase(it);
    }
    ::close(fd);
}

} // namespace kelpo
