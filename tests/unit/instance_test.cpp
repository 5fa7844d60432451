// One running program per data folder: the lock, the socket, stale leftovers of a crash.
#include "TestProgram.h"
#include "storage/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

using namespace kelpo;

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "instance_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

struct Folders {
    QTemporaryDir root;
    QString data = root.path() + "/data/";
    QString other = root.path() + "/other/";
    QString runtime = root.path() + "/run";
    Folders() {
        App();
        QDir().mkpath(data);
        QDir().mkpath(other);
        QDir().mkpath(runtime);
    }
};

// What a crashed program leaves behind: its lock file, naming a process that has gone,
// and a socket file nobody listens on.
void LeaveCrashedInstance(const SingleInstance& guard) {
    const QByteArray lockPath = QFile::encodeName(guard.LockPath());
    const QByteArray socketPath = QFile::encodeName(guard.SocketPath());
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(QString::fromLocal8Bit(lockPath));
        lock.tryLock(0);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.constData(), sizeof(address.sun_path) - 1);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        _exit(0); // no clean-up, as after kill -9
    }
    int status = 0;
    waitpid(child, &status, 0);
}

} // namespace

TEST(SingleInstance, KeyFollowsTheCanonicalDataFolder) {
    Folders f;
    ASSERT_TRUE(QFile::link(f.data, f.root.path() + "/link"));
    const QString key = SingleInstance::KeyFor(f.data);
    EXPECT_EQ(SingleInstance::KeyFor(f.root.path() + "/other/../data"), key);
    EXPECT_EQ(SingleInstance::KeyFor(f.root.path() + "/link/"), key);
    EXPECT_NE(SingleInstance::KeyFor(f.other), key);
}

TEST(SingleInstance, ASecondStartNotifiesTheFirstAndOtherFoldersRunSideBySide) {
    Folders f;
    auto first = std::make_unique<SingleInstance>(f.data, f.runtime);
    int shows = 0;
    QObject::connect(first.get(), &SingleInstance::showRequested, [&] { ++shows; });
    ASSERT_EQ(first->ClaimOrNotify(), SingleInstance::Claim::First);

    SingleInstance elsewhere(f.other, f.runtime);
    EXPECT_EQ(elsewhere.ClaimOrNotify(), SingleInstance::Claim::First);

    SingleInstance second(f.root.path() + "/data", f.runtime);
    EXPECT_EQ(second.ClaimOrNotify(), SingleInstance::Claim::Notified);
    for (int i = 0; i < 100 && shows == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(shows, 1);

    // After a clean end the next start is the first again.
    first.reset();
    SingleInstance third(f.data, f.runtime);
    EXPECT_EQ(third.ClaimOrNotify(), SingleInstance::Claim::First);
}

TEST(SingleInstance, LeftoversOfACrashDoNotBlockTheNextStart) {
    Folders f;
    {
        SingleInstance probe(f.data, f.runtime);
        LeaveCrashedInstance(probe);
        ASSERT_TRUE(QFileInfo::exists(probe.SocketPath()));
    }
    SingleInstance next(f.data, f.runtime);
    int shows = 0;
    QObject::connect(&next, &SingleInstance::showRequested, [&] { ++shows; });
    ASSERT_EQ(next.ClaimOrNotify(1000), SingleInstance::Claim::First);

    // It took the socket over too: a later start reaches it.
    SingleInstance later(f.data, f.runtime);
    EXPECT_EQ(later.ClaimOrNotify(), SingleInstance::Claim::Notified);
    for (int i = 0; i < 100 && shows == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(shows, 1);
}

TEST(SingleInstance, AHolderThatNeverAnswersIsReportedNotJoined) {
    Folders f;
    SingleInstance probe(f.data, f.runtime);
    // A live process (this one) holds the lock but nobody listens.
    QLockFile held(probe.LockPath());
    ASSERT_TRUE(held.tryLock(0));
    SingleInstance next(f.data, f.runtime);
    EXPECT_EQ(next.ClaimOrNotify(300), SingleInstance::Claim::NoAnswer);
}
