// One running program per data folder: the lock, the socket, stale leftovers of a crash.
#include "TestProgram.h"
#include "storage/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include <sys/wait.h>
#include <unistd.h>

using namespace kelpo;

namespace {

struct Folders {
    QTemporaryDir root;
    QString data = root.path() + "/data/";
    QString other = root.path() + "/other/";
    QString runtime = root.path() + "/run";
    Folders() {
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("instance_test"), nullptr};
        static QCoreApplication app(argc, argv);
        for (const QString& path : {data, other, runtime})
            QDir().mkpath(path);
    }
};

// What a crashed program leaves behind: its lock file, naming a process that has gone,
// and a socket file nobody listens on.
void LeaveCrashedInstance(const QString& data, const QString& runtime) {
    const pid_t child = fork();
    if (child == 0) {
        (new SingleInstance(data, runtime))->ClaimOrNotify();
        _exit(0); // no clean-up, as after kill -9
    }
    waitpid(child, nullptr, 0);
}

// A later start's claim, made while this thread serves the first instance as its event
// loop would.
SingleInstance::Claim ClaimWhileServing(SingleInstance& later, int timeoutMs = 5000) {
    auto claim = std::async(std::launch::async, [&] { return later.ClaimOrNotify(timeoutMs); });
    while (claim.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return claim.get();
}

} // namespace

TEST(SingleInstance, ASecondStartNotifiesTheFirstAndOtherFoldersRunSideBySide) {
    Folders f;
    auto first = std::make_unique<SingleInstance>(f.data, f.runtime);
    int shows = 0;
    QObject::connect(first.get(), &SingleInstance::showRequested, [&] { ++shows; });
    ASSERT_EQ(first->ClaimOrNotify(), SingleInstance::Claim::First);

    SingleInstance elsewhere(f.other, f.runtime);
    EXPECT_EQ(elsewhere.ClaimOrNotify(), SingleInstance::Claim::First);

    // The same folder by another spelling: through a link and without the trailing slash.
    ASSERT_TRUE(QFile::link(f.data, f.root.path() + "/link"));
    SingleInstance second(f.root.path() + "/link", f.runtime);
    EXPECT_EQ(ClaimWhileServing(second), SingleInstance::Claim::Notified);
    for (int i = 0; i < 100 && shows == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(shows, 1);

    // After a clean end the next start is the first again.
    first.reset();
    SingleInstance third(f.data, f.runtime);
    EXPECT_EQ(third.ClaimOrNotify(), SingleInstance::Claim::First);
}

TEST(SingleInstance, LeftoversOfACrashDoNotBlockTheNextStartButALiveHolderIsNotJoined) {
    Folders f;
    LeaveCrashedInstance(f.data, f.runtime);
    SingleInstance next(f.data, f.runtime);
    int shows = 0;
    QObject::connect(&next, &SingleInstance::showRequested, [&] { ++shows; });
    ASSERT_EQ(next.ClaimOrNotify(1000), SingleInstance::Claim::First);

    // It took the socket over too: a later start reaches it.
    SingleInstance later(f.other + "../data", f.runtime);
    EXPECT_EQ(ClaimWhileServing(later), SingleInstance::Claim::Notified);
    for (int i = 0; i < 100 && shows == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(shows, 1);

    // A live process (this one) that holds the lock but never answers is reported.
    Folders g;
    QLockFile held(SingleInstance(g.data, g.runtime).LockPath());
    ASSERT_TRUE(held.tryLock(0));
    EXPECT_EQ(SingleInstance(g.data, g.runtime).ClaimOrNotify(300),
              SingleInstance::Claim::NoAnswer);
}

TEST(SingleInstance, ARuntimeFolderTooDeepForASocketNameStillConnects) {
    Folders f;
    const QString deep = f.runtime + "/" + QString(60, 'r') + "/" + QString(60, 'u');
    ASSERT_TRUE(QDir().mkpath(deep));
    SingleInstance first(f.data, deep);
    int shows = 0;
    QObject::connect(&first, &SingleInstance::showRequested, [&] { ++shows; });
    ASSERT_EQ(first.ClaimOrNotify(), SingleInstance::Claim::First);
    EXPECT_LT(QFile::encodeName(first.SocketPath()).size(), 108);
    EXPECT_TRUE(first.SocketPath().startsWith(SingleInstance::ShortSocketFolder() + "/"));

    SingleInstance second(f.data, deep);
    EXPECT_EQ(ClaimWhileServing(second), SingleInstance::Claim::Notified);
    for (int i = 0; i < 100 && shows == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(shows, 1);
    // Another deep runtime folder (another session) has a socket of its own.
    EXPECT_NE(SingleInstance(f.data, deep + "x").SocketPath(), first.SocketPath());
}

TEST(SingleInstance, AnInstanceThatListensButNeverAnswersIsReportedNotJoined) {
    // A stopped or hung first instance: the system still accepts the connection, but no
    // answer comes (this thread never serves the first one's events).
    Folders f;
    SingleInstance hung(f.data, f.runtime);
    ASSERT_EQ(hung.ClaimOrNotify(), SingleInstance::Claim::First);
    EXPECT_EQ(SingleInstance(f.data, f.runtime).ClaimOrNotify(300),
              SingleInstance::Claim::NoAnswer);
}
