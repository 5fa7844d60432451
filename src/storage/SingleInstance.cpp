#include "storage/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace kelpo {

namespace {

constexpr char ShowRequest[] = "show\n";
constexpr char ShowAnswer[] = "ok\n";

} // namespace

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
    lock_ = std::make_unique<QLockFile>(LockPath());
    // A lock is stale only when its process is gone, however long the program has run.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
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
        if (NotifyRunning())
            return Claim::Notified;
        if (deadline.hasExpired())
            return Claim::NoAnswer;
        // The holder is still starting and not listening yet.
        QThread::msleep(50);
    }
}

bool SingleInstance::Listen() {
    // We hold the lock, so a socket file left here belongs to a program that crashed.
    QLocalServer::removeServer(SocketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    if (!server_->listen(SocketPath())) {
        qWarning("kelpo: cannot listen on %s: %s", qPrintable(SocketPath()),
                 qPrintable(server_->errorString()));
        return false;
    }
    return true;
}

bool SingleInstance::NotifyRunning() {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(1000))
        return false;
    // The answer says the request arrived; a busy instance still gets it when it does
    // not answer in time.
    while (!socket.canReadLine() && socket.waitForReadyRead(2000)) {
    }
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Requests are one short line; anything else is not one of ours.
            if (!socket->canReadLine() && socket->bytesAvailable() > 64) {
                socket->abort();
                return;
            }
            while (socket->canReadLine()) {
                if (socket->readLine() == ShowRequest) {
                    socket->write(ShowAnswer);
                    socket->flush();
                    emit showRequested();
                }
            }
        });
    }
}

} // namespace kelpo
