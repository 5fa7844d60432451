#include "platform/x11/X11KeySender.h"

#include "platform/KeyNotation.h"

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

// Xlib last: its macros clash with Qt's names.
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyRescue.h"
#include "platform/x11/X11Keymap.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

namespace kelpo {

using x11::Connection;
using x11::KeyChoice;
using x11::Keymap;
using x11::KeyRescue;

namespace {

// Set by the termination signals while a send is under way; the send then lets go of
// every key, restores the keymap and only then lets the signal take its course. Only
// this flag is touched in the handler: Xlib is not async-signal-safe.
volatile sig_atomic_t g_pendingSignal = 0;

void OnTerminationSignal(int sig) {
    g_pendingSignal = sig;
}

constexpr int GuardedSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

class SignalGuard {
public:
    SignalGuard() {
        g_pendingSignal = 0;
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: a wait in poll() wakes up at once
        for (size_t i = 0; i < std::size(GuardedSignals); ++i)
            sigaction(GuardedSignals[i], &action, &previous_[i]);
    }
    // Puts the previous handlers back and delivers a signal that came meanwhile.
    ~SignalGuard() {
        for (size_t i = 0; i < std::size(GuardedSignals); ++i)
            sigaction(GuardedSignals[i], &previous_[i], nullptr);
        if (const int sig = g_pendingSignal) {
            g_pendingSignal = 0;
            raise(sig);
        }
    }
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;

private:
    struct sigaction previous_[std::size(GuardedSignals)];
};

bool Interrupted() {
    return g_pendingSignal != 0;
}

// Holds the X server for this connection alone while alive. The release waits for the
// server to take it in, so our next hold is not read in the same breath: the other
// clients (a window asking for the focus among them) are served between two holds.
class ServerHold {
public:
    explicit ServerHold(Display* dpy) : dpy_(dpy) { XGrabServer(dpy_); }
    ~ServerHold() {
        XUngrabServer(dpy_);
        XSync(dpy_, False);
    }
    ServerHold(const ServerHold&) = delete;
    ServerHold& operator=(const ServerHold&) = delete;

private:
    Display* dpy_;
};

using Clock = std::chrono::steady_clock;

// Strokes handed to the server per hold and round trip: a batch costs about what a single
// key does. A window that asks for the focus waits at most one batch (a few milliseconds),
// and a termination signal or a failed request stops the typing at the next batch.
constexpr size_t StrokesPerSync = 64;

int MsLeft(Clock::time_point deadline) {
    return int(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

// Sleeps up to `ms`, waking early for a termination signal.
void Pause(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!Interrupted() && MsLeft(deadline) > 0)
        poll(nullptr, 0, std::min(MsLeft(deadline), 10));
}

// One stroke resolved against the keymap.
struct Planned {
    KeyStroke stroke;
    KeySym missing = NoSymbol; // when set, the keysym to lend a spare key for
    KeyChoice choice;
    unsigned int notationMods = 0;
};

// The keymap as it was before keys were lent, the keycode range the loan has touched,
// and the keys lent now.
struct Loan {
    XkbDescPtr original = nullptr;
    int first = 0;
    int last = -1;
    std::vector<KeyCode> keys;     // lent for the current stretch
    std::vector<KeyCode> previous; // lent for the stretch before, still as they were
};

} // namespace

struct X11KeySender::Impl {
    std::unique_ptr<Connection> conn;
    Keymap keymap;
    std::vector<KeyCode> pressed; // keys we hold down, in press order
    Loan loan;                    // spare keys currently lent
    Connection::Trap* trap = nullptr;
    // The target of the send under way and the window the keyboard focus is on inside it.
    Window client = 0;
    Window focus = None;
    bool focusLost = false;

    Display* Dpy() const { return conn->Dpy(); }

    bool Healthy() const { return !Interrupted() && !focusLost && (!trap || trap->errors == 0); }

    // Where the real keyboard focus is, in one round trip. The window manager's
    // _NET_ACTIVE_WINDOW follows it only later, so a window that took the focus a moment
    // ago is still seen here. A move to another window of the target is followed.
    bool FocusOnTarget() {
        Window now = None;
        int revert = 0;
        XGetInputFocus(Dpy(), &now, &revert);
        if (now != focus) {
            if (now == None || now == PointerRoot || conn->ClientWindowOf(now) != client)
                focusLost = true;
            else
                focus = now;
        }
        return Healthy();
    }

    // Key events are only queued here; Sync() hands a batch to the server in one round
    // trip. The server takes one client's requests in order, so the keys still arrive in
    // order, and a batch of keys costs about what a single key used to. Each key is noted
    // for the crash rescue before it goes down.
    void Press(KeyCode code) {
        KeyRescue::KeyDown(code, true);
        XTestFakeKeyEvent(Dpy(), code, True, CurrentTime);
        pressed.push_back(code);
    }

    void Release(KeyCode code) {
        XTestFakeKeyEvent(Dpy(), code, False, CurrentTime);
        pressed.erase(std::find(pressed.begin(), pressed.end(), code));
        KeyRescue::KeyDown(code, false);
    }

    bool Sync() {
        XSync(Dpy(), False);
        return Healthy();
    }

    void ReleaseAll() {
        while (!pressed.empty()) {
            XTestFakeKeyEvent(Dpy(), pressed.back(), False, CurrentTime);
            pressed.pop_back();
        }
        XSync(Dpy(), False);
        for (int code = 0; code < 256; ++code)
            KeyRescue::KeyDown(KeyCode(code), false);
    }

    // Puts the lent keys back exactly as they were, in one keymap change.
    void RestoreMap() {
        if (!loan.original)
            return;
        XkbMapChangesRec changes{};
        changes.changed = XkbKeySymsMask;
        changes.first_key_sym = KeyCode(loan.first);
        changes.num_key_syms = static_cast<unsigned char>(loan.last - loan.first + 1);
        XkbChangeMap(Dpy(), loan.original, &changes);
        XSync(Dpy(), False);
        KeyRescue::Restored();
        XkbFreeKeyboard(loan.original, XkbAllComponentsMask, True);
        loan = Loan{};
    }

    // Every way out of a send passes here.
    void LetGo() {
        ReleaseAll();
        RestoreMap();
    }

    std::vector<KeyCode> KeysDown() {
        char keys[32];
        XQueryKeymap(Dpy(), keys);
        std::vector<KeyCode> down;
        for (int i = 0; i < 256; ++i)
            if (keys[i / 8] & (1 << (i % 8)))
                down.push_back(KeyCode(i));
        return down;
    }

    bool UserHoldsModifier() {
        const auto down = KeysDown();
        for (KeyCode code : keymap.HeldModifierKeys())
            if (std::find(down.begin(), down.end(), code) != down.end())
                return true;
        return false;
    }

    unsigned int NotationMods(std::uint8_t modifiers, bool* ok) const {
        unsigned int mods = 0;
        const std::pair<std::uint8_t, unsigned int> map[] = {
            {ShiftModifier, keymap.ShiftBits()},
            {ControlModifier, keymap.ControlBits()},
            {AltModifier, keymap.AltBits()},
        };
        for (const auto& [flag, bits] : map) {
            if (!(modifiers & flag))
                continue;
            if (!bits)
                *ok = false;
            mods |= bits;
        }
        return mods;
    }

    // Resolves every stroke against the current map; false when one can never be typed.
    bool Plan(const QList<KeyStroke>& strokes, std::vector<Planned>* plan) {
        plan->clear();
        for (const KeyStroke& stroke : strokes) {
            Planned p;
            p.stroke = stroke;
            const std::vector<KeySym> syms =
                stroke.isCharacter ? x11::KeySymsForCharacter(stroke.character)
                                   : std::vector<KeySym>{x11::KeySymForKey(stroke.key)};
            if (syms.empty() || syms[0] == NoSymbol)
                return false;
            bool ok = true;
            p.notationMods = NotationMods(stroke.modifiers, &ok);
            if (!ok)
                return false;
            bool found = false;
            for (KeySym sym : syms)
                if (!found && keymap.Find(sym, &p.choice))
                    found = true;
            if (!found)
                p.missing = syms[0];
            plan->push_back(p);
        }
        return true;
    }

    // Lends spare keys to `syms`, two per key, in a single keymap change that also takes
    // back the keys lent for the stretch before: every change makes each X client read
    // the whole map again, and a client that falls behind reads a map that no longer
    // matches the keys it is handling.
    bool LendKeys(const std::vector<KeySym>& syms, std::vector<KeyCode> spares) {
        const size_t keys = (syms.size() + 1) / 2;
        if (keys == 0 || keys > spares.size())
            return false;
        // Keys lent for the stretch before stay as they are if enough others are free.
        std::vector<KeyCode> fresh;
        for (KeyCode code : spares)
            if (std::find(loan.keys.begin(), loan.keys.end(), code) == loan.keys.end())
                fresh.push_back(code);
        if (fresh.size() >= keys)
            spares = fresh;
        // The spare keys closest together, so the change covers the fewest other keys
        // (which it sends back unchanged).
        std::sort(spares.begin(), spares.end());
        size_t best = 0;
        for (size_t start = 0; start + keys <= spares.size(); ++start)
            if (spares[start + keys - 1] - spares[start] < spares[best + keys - 1] - spares[best])
                best = start;
        const std::vector<KeyCode> chosen(spares.begin() + long(best),
                                          spares.begin() + long(best + keys));

        const unsigned int parts = XkbKeyTypesMask | XkbKeySymsMask;
        if (!loan.original && !(loan.original = XkbGetMap(Dpy(), parts, XkbUseCoreKbd)))
            return false;
        XkbDescPtr lent = XkbGetMap(Dpy(), parts, XkbUseCoreKbd);
        if (!lent)
            return false;
        bool ok = true;
        // Keys lent two stretches ago are free again.
        for (KeyCode code : loan.previous)
            if (std::find(chosen.begin(), chosen.end(), code) == chosen.end())
                ok = ok && XkbChangeTypesOfKey(lent, code, 0, XkbAllGroupsMask, nullptr, nullptr) ==
                               Success;
        // Alphabetic keys: Caps Lock is then part of choosing the level, so a toolkit
        // does not upper-case what the key gives.
        size_t next = 0;
        std::vector<std::pair<KeyCode, std::vector<KeySym>>> lending;
        for (KeyCode code : chosen) {
            int alphabetic[XkbNumKbdGroups] = {XkbAlphabeticIndex};
            ok = ok &&
                 XkbChangeTypesOfKey(lent, code, 1, XkbGroup1Mask, alphabetic, nullptr) == Success;
            if (!ok)
                break;
            KeySym* out = XkbKeySymsPtr(lent, code);
            out[0] = syms[next++];
            out[1] = next < syms.size() ? syms[next++] : out[0];
            lending.push_back({code, {out[0], out[1]}});
        }
        if (ok) {
            loan.first =
                loan.keys.empty() ? chosen.front() : std::min<int>(loan.first, chosen.front());
            loan.last = std::max<int>(loan.last, chosen.back());
            loan.previous = loan.keys;
            loan.keys = chosen;
            XkbMapChangesRec changes{};
            changes.changed = XkbKeySymsMask;
            changes.first_key_sym = KeyCode(loan.first);
            changes.num_key_syms = static_cast<unsigned char>(loan.last - loan.first + 1);
            // Recorded before it happens, so that not even a kill leaves it behind.
            KeyRescue::Lending(loan.original, changes, lending);
            ok = XkbChangeMap(Dpy(), lent, &changes);
        }
        XkbFreeKeyboard(lent, XkbAllComponentsMask, True);
        XSync(Dpy(), False);
        return ok && Healthy();
    }

    // Queues one stroke: its modifiers down, the key down and up, the modifiers up.
    bool Type(const Planned& p) {
        std::vector<KeyCode> mods;
        if (!keymap.KeysFor(p.choice.modifiers | p.notationMods, &mods))
            return false;
        for (KeyCode m : mods)
            Press(m);
        Press(p.choice.code);
        Release(p.choice.code);
        for (auto it = mods.rbegin(); it != mods.rend(); ++it)
            Release(*it);
        return true;
    }

    // Types plan[from, to) as one batch. The real keyboard focus is checked and the keys
    // handed over while the server serves us alone, so no window can take the focus
    // between the check and the keys. A batch is a few dozen events and one round trip,
    // so the rest of the desktop never waits long.
    bool TypeBatch(const std::vector<Planned>& plan, size_t from, size_t to) {
        ServerHold hold(Dpy());
        if (!FocusOnTarget())
            return false;
        for (size_t i = from; i < to; ++i)
            if (!Type(plan[i]))
                return false;
        return Sync();
    }

    enum class Reply { Answered, CannotAnswer, TimedOut };

    // A _NET_WM_PING round trip: the target answers only after handling every event
    // that reached it before, our keys included.
    Reply PingTarget(Window target, int timeoutMs) {
        if (!target || target == conn->Root())
            return Reply::CannotAnswer;
        const Atom protocols = conn->AtomOf("WM_PROTOCOLS");
        const Atom ping = conn->AtomOf("_NET_WM_PING");
        const auto supported = conn->GetLongs(target, protocols);
        if (std::find(supported.begin(), supported.end(), ping) == supported.end())
            return Reply::CannotAnswer;

        const Time stamp = conn->ServerTime();
        // Toolkits answer to the root with either notify mask (Qt: structure, others:
        // substructure), so listen for both.
        XSelectInput(Dpy(), conn->Root(), StructureNotifyMask | SubstructureNotifyMask);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(ping);
        event.xclient.data.l[1] = long(stamp);
        event.xclient.data.l[2] = long(target);
        bool answered = false;
        bool sent = false;
        {
            Connection::Trap pingTrap(*conn);
            XSendEvent(Dpy(), target, False, NoEventMask, &event);
            sent = !pingTrap.Failed();
            if (sent) {
                const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
                while (!answered && !Interrupted() && MsLeft(deadline) > 0) {
                    if (XPending(Dpy()) == 0) {
                        pollfd fd{ConnectionNumber(Dpy()), POLLIN, 0};
                        poll(&fd, 1, std::min(MsLeft(deadline), 10));
                    }
                    while (XPending(Dpy()) > 0) {
                        XEvent reply;
                        XNextEvent(Dpy(), &reply);
                        answered = answered || (reply.type == ClientMessage &&
                                                reply.xclient.message_type == protocols &&
                                                Atom(reply.xclient.data.l[0]) == ping &&
                                                Time(reply.xclient.data.l[1]) == stamp &&
                                                Window(reply.xclient.data.l[2]) == target);
                    }
                }
            }
        }
        XSelectInput(Dpy(), conn->Root(), NoEventMask);
        XSync(Dpy(), True); // drop whatever the root still sent
        return answered ? Reply::Answered : sent ? Reply::TimedOut : Reply::CannotAnswer;
    }

    // Returns once the target has read what was sent. Lent keys must stay lent until
    // then and a little longer: a browser that looks the keys up after the map has
    // changed loses the character.
    // The pause grows with the keys sent, for a loaded target that is still working
    // through them.
    void WaitForTarget(Window target, bool keysLent, size_t keysSent) {
        XSync(Dpy(), False);
        const Reply reply = PingTarget(target, keysLent ? KeymapReplyWaitMs : TargetReplyWaitMs);
        if (keysLent)
            Pause((reply == Reply::Answered ? 50 : 100) + int(std::min<size_t>(keysSent, 200)));
    }

    // Returns once the target has taken in a keymap change; false when it does not answer.
    // A toolkit reads the map when it gets to the change, so it must have caught up
    // before the keys that need the change go out. Every client, the window manager
    // among them, reads the whole map again, which can take a loaded system a while.
    bool WaitForTargetToReadMap(Window target) {
        XSync(Dpy(), False);
        switch (PingTarget(target, KeymapReplyWaitMs)) {
        case Reply::Answered:
            return true;
        case Reply::CannotAnswer:
            Pause(50);
            return true;
        case Reply::TimedOut:
            return false;
        }
        return false;
    }

    SendResult Send(Window target, const QString& keys, bool wait);
    SendResult TypeSegment(const QList<KeyStroke>& strokes, Window target, bool wait, bool first);
};

namespace {

bool IsLockKey(const KeyStroke& s) {
    return !s.isCharacter && (s.key == NamedKey::CapsLock || s.key == NamedKey::NumLock ||
                              s.key == NamedKey::ScrollLock);
}

} // namespace

SendResult X11KeySender::Impl::Send(Window requested, const QString& keys, bool wait) {
    const ParsedKeys parsed = ParseKeys(keys);
    if (!parsed.Ok())
        return parsed.error == NotationError::UnsupportedCharacter ? SendResult::Untypeable
                                                                   : SendResult::InvalidNotation;
    if (parsed.strokes.isEmpty())
        return SendResult::Ok;

    // A lock key changes which level gives which character: what follows it is planned
    // again once it is down.
    QList<QList<KeyStroke>> segments{{}};
    for (const KeyStroke& s : parsed.strokes) {
        segments.last().append(s);
        if (IsLockKey(s))
            segments.append(QList<KeyStroke>());
    }
    if (segments.last().isEmpty())
        segments.removeLast();

    Connection::Trap sendTrap(*conn);
    trap = &sendTrap;
    const Window target = requested ? requested : conn->FocusedClientWindow();
    client = target;
    focus = None;
    focusLost = !target;
    SendResult result = FocusOnTarget() ? SendResult::Ok : SendResult::FocusLost;
    for (qsizetype i = 0; i < segments.size() && result == SendResult::Ok; ++i)
        result = TypeSegment(segments[i], target, wait && i + 1 == segments.size(), i == 0);
    if (focusLost)
        result = SendResult::FocusLost;
    trap = nullptr;
    return result;
}

SendResult X11KeySender::Impl::TypeSegment(const QList<KeyStroke>& strokes, Window target,
                                           bool wait, bool first) {
    if (!keymap.Load(Dpy()))
        return SendResult::Failed;
    std::vector<Planned> plan;
    if (!Plan(strokes, &plan))
        return SendResult::Untypeable;

    // Spare keys that nobody holds down right now.
    std::vector<KeyCode> spares = keymap.SpareKeycodes();
    const auto down = KeysDown();
    std::erase_if(spares,
                  [&](KeyCode c) { return std::find(down.begin(), down.end(), c) != down.end(); });
    // Cut the text into stretches whose missing keysyms fit on the spare keys at once.
    // When it takes more than one, each stretch gets half of the spare keys, so that a
    // key's next loan comes two stretches later: a target that handles keys late (some
    // toolkits let window-system messages overtake queued keys) still finds the key
    // lent as it was.
    std::set<KeySym> distinct;
    for (const Planned& p : plan)
        if (p.missing != NoSymbol)
            distinct.insert(p.missing);
    size_t capacity = spares.size() * 2;
    if (distinct.size() > capacity && spares.size() >= 2)
        capacity = (spares.size() / 2) * 2;
    std::vector<size_t> cuts{0};
    std::set<KeySym> stretch;
    for (size_t i = 0; i < plan.size(); ++i) {
        const KeySym m = plan[i].missing;
        if (m == NoSymbol || stretch.count(m))
            continue;
        if (capacity == 0)
            return SendResult::Untypeable;
        if (stretch.size() == capacity) {
            cuts.push_back(i);
            stretch.clear();
        }
        stretch.insert(m);
    }
    cuts.push_back(plan.size());

    if (first) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ModifierReleaseWaitMs);
        while (UserHoldsModifier()) {
            if (MsLeft(deadline) == 0)
                return SendResult::ModifierHeld;
            poll(nullptr, 0, 10);
        }
    }

    SignalGuard guard;
    // Gone before the guard lets a termination signal through.
    KeyRescue::SendScope rescue;
    bool ok = true;
    for (size_t c = 0; ok && c + 1 < cuts.size(); ++c) {
        std::vector<KeySym> lend;
        for (size_t i = cuts[c]; i < cuts[c + 1]; ++i)
            if (plan[i].missing != NoSymbol &&
                std::find(lend.begin(), lend.end(), plan[i].missing) == lend.end())
                lend.push_back(plan[i].missing);
        if (!lend.empty()) {
            ok = LendKeys(lend, spares) && keymap.Load(Dpy());
            for (size_t i = cuts[c]; ok && i < cuts[c + 1]; ++i)
                if (plan[i].missing != NoSymbol)
                    ok = keymap.Find(plan[i].missing, &plan[i].choice);
            ok = ok && WaitForTargetToReadMap(target) && Healthy();
        }
        for (size_t i = cuts[c]; ok && i < cuts[c + 1]; i += StrokesPerSync)
            ok = TypeBatch(plan, i, std::min(cuts[c + 1], i + StrokesPerSync));
        if (ok && !lend.empty()) {
            // The next stretch's loan takes these keys back in the same change.
            WaitForTarget(target, true, cuts[c + 1] - cuts[c]);
            if (c + 2 == cuts.size())
                RestoreMap();
            ok = Healthy();
        } else if (ok && wait && c + 2 == cuts.size()) {
            WaitForTarget(target, false, 0);
            ok = Healthy();
        }
    }
    LetGo();
    // The guard, going out of scope, lets a termination signal through only now.
    return ok ? SendResult::Ok : SendResult::Failed;
}

std::unique_ptr<X11KeySender> X11KeySender::Create() {
    auto conn = Connection::Open();
    if (!conn)
        return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(conn->Dpy(), &event, &error, &major, &minor))
        return nullptr;
    // A send that was killed may have left keys lent or down; its journal says so.
    KeyRescue::RecoverAfterKill(conn->Dpy());
    KeyRescue::Arm(conn->Dpy());
    auto impl = std::make_unique<Impl>();
    impl->conn = std::move(conn);
    if (!impl->keymap.Load(impl->Dpy()))
        return nullptr;
    return std::unique_ptr<X11KeySender>(new X11KeySender(std::move(impl)));
}

X11KeySender::X11KeySender(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

X11KeySender::~X11KeySender() = default;

SendResult X11KeySender::SendKeysTo(WindowId target, const QString& keys, bool wait) {
    return d->Send(Window(target), keys, wait);
}

} // namespace kelpo
