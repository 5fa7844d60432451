#pragma once
// One running program per data folder. The first start holds a lock file and listens on
// a local socket; a later start with the same folder asks it to show its main window and
// ends. Both live in the user's runtime folder, named after the canonical data folder,
// so two data folders run side by side. A lock left by a program that crashed belongs to
// a process that no longer runs and is taken over.
//
// The socket is a plain Unix-domain socket rather than Qt's local server: that one drags
// the network module and a dozen libraries (Kerberos among them) into every start.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QSocketNotifier;

namespace kelpo {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,    // this is the one instance; showRequested() reports later starts
        Notified, // another instance runs and was asked to show itself
        NoAnswer, // another instance holds the lock but did not answer in time (hung,
                  // stopped, or not listening)
    };

    // `runtimeFolder` empty: the user's runtime folder (XDG_RUNTIME_DIR, else a private
    // folder in the temporary folder).
    explicit SingleInstance(const QString& dataFolder, const QString& runtimeFolder = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the one instance, or tells the running one; waits at most `timeoutMs` for
    // an instance that is still starting.
    Claim ClaimOrNotify(int timeoutMs = 5000);

    QString LockPath() const { return base_ + QStringLiteral(".lock"); }
    // Beside the lock, or, when that path is too long for a socket, in a private folder of
    // ours under the temporary folder.
    QString SocketPath() const { return socketPath_; }
    static QString ShortSocketFolder();

    // The file-name stem shared by all starts with this data folder.
    static QString KeyFor(const QString& dataFolder);

signals:
    void showRequested();

private:
    bool Listen();
    enum class Answer { Answered, Silent, NotListening };
    Answer NotifyRunning(int answerWaitMs);
    bool PrivateFolderReady() const;
    void OnNewConnection();
    void OnReadable(int fd);
    void Drop(int fd);

    QString base_;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    int listenFd_ = -1;
    QSocketNotifier* listener_ = nullptr;
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray request;
    };
    QHash<int, Client> clients_; // by socket
};

} // namespace kelpo
