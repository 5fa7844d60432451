// Qt first: Xlib's macros clash with its names.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "platform/x11/X11KeyRescue.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

// Xlib's internals, to build requests without sending them. After Qt.
#include <X11/Xlibint.h>
#include <X11/extensions/XTest.h>

namespace kelpo::x11 {

namespace {

constexpr int CrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr size_t RestoreCapacity = 1 << 16;

// Everything the crash handler reads, ready before it can run.
struct RescueState {
    Display* rescue = nullptr; // the second connection; never used again once armed
    int rescueFd = -1;
    int sendingFd = -1;
    char releases[256][64]; // a key release request per keycode
    size_t releaseSize = 0;
    char sync[4]; // GetInputFocus: its reply says all before it is done
    char restore[RestoreCapacity];
    volatile sig_atomic_t restoreSize = 0; // 0: nothing lent
    volatile sig_atomic_t down[256] = {};
    char journal[1024] = {}; // empty: no journal
    int journalFd = -1;
    volatile sig_atomic_t rescued = 0;
    struct sigaction previous[std::size(CrashSignals)];
};

RescueState g_rescue;

// Total size of the requests in `bytes` as their length fields tell, and how many.
bool CountRequests(const char* bytes, size_t size, uint64_t* count) {
    size_t at = 0;
    *count = 0;
    while (at + 4 <= size) {
        std::uint16_t units;
        std::memcpy(&units, bytes + at + 2, 2);
        if (units == 0)
            return false; // a big request; none of ours is one
        at += size_t(units) * 4;
        ++*count;
    }
    return at == size;
}

// Runs `build` on `dpy` and keeps the requests it makes in `out` instead of sending them.
// The connection is left as if they had never been made.
template <typename Build>
bool Capture(Display* dpy, char* out, size_t capacity, size_t* size, Build build) {
    XFlush(dpy);
    char* const buffer = dpy->buffer;
    char* const bufptr = dpy->bufptr;
    char* const bufmax = dpy->bufmax;
    char* const lastReq = dpy->last_req;
    const uint64_t request = X_DPY_GET_REQUEST(dpy);
    // Built straight into `out`, which the callers size well above the requests they
    // build, so Xlib never has to flush on the way.
    dpy->buffer = dpy->bufptr = out;
    dpy->bufmax = out + capacity;
    build();
    *size = size_t(dpy->bufptr - out);
    const uint64_t made = X_DPY_GET_REQUEST(dpy) - request;
    dpy->buffer = buffer;
    dpy->bufptr = bufptr;
    dpy->bufmax = bufmax;
    dpy->last_req = lastReq;
    X_DPY_SET_REQUEST(dpy, request);
    uint64_t counted = 0;
    return made > 0 && CountRequests(out, *size, &counted) && counted == made;
}

// Async-signal-safe from here to OnCrash.
bool WriteAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

// Waits (bounded) for a reply on the rescue connection; errors and events pass by.
bool AwaitReply(int fd) {
    char packet[32];
    size_t have = 0;
    for (int waited = 0; waited < 2000;) {
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, 100);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            waited += 100;
            continue;
        }
        const ssize_t n = ::read(fd, packet + have, sizeof packet - have);
        if (n <= 0)
            return false;
        have += size_t(n);
        if (have == sizeof packet) {
            if (packet[0] == X_Reply)
                return true;
            have = 0;
        }
    }
    return false;
}

void Rescue() {
    RescueState& r = g_rescue;
    if (r.rescued)
        return;
    r.rescued = 1;
    // The sending connection may hold the server for itself, which would leave the
    // rescue waiting; once shut, the server lets go of it.
    if (r.sendingFd >= 0)
        ::shutdown(r.sendingFd, SHUT_RDWR);
    if (r.rescueFd < 0 || r.releaseSize == 0)
        return;
    bool ok = true;
    for (int code = 0; code < 256; ++code)
        if (r.down[code])
            ok = WriteAll(r.rescueFd, r.releases[code], r.releaseSize) && ok;
    if (r.restoreSize > 0)
        ok = WriteAll(r.rescueFd, r.restore, size_t(r.restoreSize)) && ok;
    ok = WriteAll(r.rescueFd, r.sync, sizeof r.sync) && ok;
    // Once the server has done it, the journal has nothing left to put back.
    if (ok && AwaitReply(r.rescueFd) && r.journal[0])
        ::unlink(r.journal);
}

int IndexOf(int sig) {
    for (size_t i = 0; i < std::size(CrashSignals); ++i)
        if (CrashSignals[i] == sig)
            return int(i);
    return -1;
}

void OnCrash(int sig, siginfo_t* info, void*) {
    Rescue();
    const int i = IndexOf(sig);
    if (i >= 0)
        ::sigaction(sig, &g_rescue.previous[i], nullptr);
    // The crash then runs its course as it would have without us: a fault happens again
    // when the handler returns, a signal that was sent is sent again.
    if (info->si_code <= 0)
        ::raise(sig);
}

QString DisplayKey(Display* dpy) {
    // "host:1.0" and "host:1" are the same server.
    QString name = QString::fromLocal8Bit(DisplayString(dpy));
    const qsizetype colon = name.lastIndexOf(':');
    const qsizetype dot = name.indexOf('.', colon);
    if (colon >= 0 && dot > colon)
        name.truncate(dot);
    for (QChar& c : name)
        if (!c.isLetterOrNumber())
            c = '_';
    return name;
}

QString JournalFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString JournalPrefix(Display* dpy) {
    return QStringLiteral("kelpo-keys-") + DisplayKey(dpy) + '-';
}

std::vector<std::pair<KeyCode, std::vector<KeySym>>> ReadJournal(const QString& path) {
    std::vector<std::pair<KeyCode, std::vector<KeySym>>> lent;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return lent;
    struct stat st {};
    QByteArray content;
    // Only a small plain file of ours is trusted to change the keymap.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_size < (1 << 20)) {
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly))
            content = file.readAll();
    }
    ::close(fd);
    for (const QByteArray& line : content.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() < 3 || words[0] != "lend")
            continue;
        bool ok = true;
        const uint code = words[1].toUInt(&ok);
        if (!ok || code < 8 || code > 255)
            continue;
        std::vector<KeySym> syms;
        for (qsizetype i = 2; ok && i < words.size(); ++i)
            syms.push_back(KeySym(words[i].toULong(&ok, 16)));
        if (ok)
            lent.emplace_back(KeyCode(code), syms);
    }
    return lent;
}

// Empties the keys that still hold what a dead send lent them; keys changed since by
// someone else are left alone.
void TakeBack(Display* dpy, const std::vector<std::pair<KeyCode, std::vector<KeySym>>>& lent) {
    if (lent.empty())
        return;
    XkbDescPtr map = XkbGetMap(dpy, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!map)
        return;
    int first = 256, last = -1;
    for (const auto& [code, syms] : lent) {
        if (code < map->min_key_code || code > map->max_key_code)
            continue;
        const int count = XkbKeyNumSyms(map, code);
        const KeySym* now = XkbKeySymsPtr(map, code);
        if (count != int(syms.size()) || !std::equal(syms.begin(), syms.end(), now))
            continue;
        if (XkbChangeTypesOfKey(map, code, 0, XkbAllGroupsMask, nullptr, nullptr) != Success)
            continue;
        first = std::min<int>(first, code);
        last = std::max<int>(last, code);
    }
    if (last >= first) {
        XkbMapChangesRec changes{};
        changes.changed = XkbKeySymsMask;
        changes.first_key_sym = KeyCode(first);
        changes.num_key_syms = static_cast<unsigned char>(last - first + 1);
        XkbChangeMap(dpy, map, &changes);
    }
    XkbFreeKeyboard(map, XkbAllComponentsMask, True);
    XSync(dpy, False);
}

void ReleaseAllKeys(Display* dpy) {
    char keys[32];
    XQueryKeymap(dpy, keys);
    for (int code = 8; code < 256; ++code)
        if (keys[code / 8] & (1 << (code % 8)))
            XTestFakeKeyEvent(dpy, unsigned(code), False, CurrentTime);
    XSync(dpy, False);
}

bool Alive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

bool KeyRescue::Arm(Display* sending) {
    RescueState& r = g_rescue;
    r.sendingFd = ConnectionNumber(sending);
    if (!r.journal[0]) {
        const QString folder = JournalFolder();
        const QByteArray path =
            QFile::encodeName(folder + '/' + JournalPrefix(sending) + QString::number(::getpid()));
        if (!folder.isEmpty() && size_t(path.size()) < sizeof r.journal)
            std::memcpy(r.journal, path.constData(), size_t(path.size()) + 1);
    }
    if (r.rescue)
        return true;
    Display* rescue = XOpenDisplay(DisplayString(sending));
    if (!rescue)
        return false;
    int event = 0, error = 0, major = 0, minor = 0;
    int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    // Both extensions are looked up now: building a request later must not need a reply.
    if (!XTestQueryExtension(rescue, &event, &error, &major, &minor) ||
        !XkbUseExtension(rescue, &xkbMajor, &xkbMinor)) {
        XCloseDisplay(rescue);
        return false;
    }
    bool ok = true;
    for (int code = 8; ok && code < 256; ++code) {
        size_t size = 0;
        ok = Capture(rescue, r.releases[code], sizeof r.releases[code], &size,
                     [&] { XTestFakeKeyEvent(rescue, unsigned(code), False, CurrentTime); });
        ok = ok && (r.releaseSize == 0 || size == r.releaseSize);
        r.releaseSize = size;
    }
    if (!ok) {
        r.releaseSize = 0;
        XCloseDisplay(rescue);
        return false;
    }
    r.sync[0] = X_GetInputFocus;
    r.sync[1] = 0;
    const std::uint16_t units = 1;
    std::memcpy(r.sync + 2, &units, 2);
    r.rescue = rescue;
    r.rescueFd = ConnectionNumber(rescue);
    return true;
}

void KeyRescue::RecoverAfterKill(Display* dpy) {
    const QString folder = JournalFolder();
    if (folder.isEmpty())
        return;
    const QString prefix = JournalPrefix(dpy);
    const QStringList names = QDir(folder).entryList({prefix + '*'}, QDir::Files | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const pid_t pid = pid_t(name.mid(prefix.size()).toInt(&ok));
        if (!ok || pid <= 0 || pid == ::getpid() || Alive(pid))
            continue;
        const QString path = folder + '/' + name;
        TakeBack(dpy, ReadJournal(path));
        // The send was cut off with keys down; whatever is down now may be one of them.
        ReleaseAllKeys(dpy);
        QFile::remove(path);
    }
}

void KeyRescue::KeyDown(KeyCode code, bool down) {
    g_rescue.down[code] = down ? 1 : 0;
}

void KeyRescue::Lending(XkbDescPtr original, const XkbMapChangesRec& changes,
                        const std::vector<std::pair<KeyCode, std::vector<KeySym>>>& lent) {
    RescueState& r = g_rescue;
    if (r.journalFd >= 0) {
        QByteArray lines;
        for (const auto& [code, syms] : lent) {
            lines += "lend " + QByteArray::number(code);
            for (KeySym sym : syms)
                lines += ' ' + QByteArray::number(qulonglong(sym), 16);
            lines += '\n';
        }
        WriteAll(r.journalFd, lines.constData(), size_t(lines.size()));
    }
    if (!r.rescue)
        return;
    // The handler must never see a half-built request.
    r.restoreSize = 0;
    size_t size = 0;
    XkbMapChangesRec restore = changes;
    if (Capture(r.rescue, r.restore, sizeof r.restore, &size,
                [&] { XkbChangeMap(r.rescue, original, &restore); }))
        r.restoreSize = sig_atomic_t(size);
}

void KeyRescue::Restored() {
    g_rescue.restoreSize = 0;
}

std::string KeyRescue::JournalPath() {
    return g_rescue.journal;
}

KeyRescue::SendScope::SendScope() {
    RescueState& r = g_rescue;
    r.rescued = 0;
    // Every keymap change notifies every client, the rescue connection too; read and
    // dropped here so they do not pile up in the server.
    char discard[4096];
    while (r.rescueFd >= 0 && ::recv(r.rescueFd, discard, sizeof discard, MSG_DONTWAIT) > 0) {
    }
    struct sigaction action {};
    action.sa_sigaction = OnCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO;
    for (size_t i = 0; i < std::size(CrashSignals); ++i)
        ::sigaction(CrashSignals[i], &action, &r.previous[i]);
    if (r.journal[0]) {
        r.journalFd =
            ::open(r.journal, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        static constexpr char Header[] = "kelpo: a send is under way\n";
        if (r.journalFd >= 0)
            WriteAll(r.journalFd, Header, sizeof Header - 1);
    }
}

KeyRescue::SendScope::~SendScope() {
    RescueState& r = g_rescue;
    if (r.journalFd >= 0) {
        ::close(r.journalFd);
        r.journalFd = -1;
        ::unlink(r.journal);
    }
    for (size_t i = 0; i < std::size(CrashSignals); ++i)
        ::sigaction(CrashSignals[i], &r.previous[i], nullptr);
}

} // namespace kelpo::x11
