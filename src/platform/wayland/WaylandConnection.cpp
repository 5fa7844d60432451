#include "platform/wayland/WaylandConnection.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <wayland-client.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace kelpo::wayland {

// Reads the compositor's events while the event loop runs, and hands a change of the
// activated window to the handler from the event loop, never from inside a send.
struct Connection::Notifier {
    QObject context;
    std::unique_ptr<QSocketNotifier> socket;
    bool queued = false;
};

struct Connection::Listeners {
    static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
        auto* self = static_cast<Connection*>(data);
        const std::string_view which(interface);
        if (which == wl_seat_interface.name && !self->seat_) {
            self->seat_ = static_cast<wl_seat*>(
                wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 1u)));
        } else if (which == zwp_virtual_keyboard_manager_v1_interface.name) {
            self->keyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
        } else if (which == zwlr_foreign_toplevel_manager_v1_interface.name) {
            self->toplevelManager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                                 std::min(version, 3u)));
            static const zwlr_foreign_toplevel_manager_v1_listener listener = {
                &Listeners::NewToplevel, &Listeners::Finished};
            zwlr_foreign_toplevel_manager_v1_add_listener(self->toplevelManager_, &listener, self);
        }
    }
    static void GlobalRemove(void*, wl_registry*, uint32_t) {}

    static void NewToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                            zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<Connection*>(data);
        const WindowId id = self->nextId_++;
        self->toplevels_[id].handle = handle;
        static const zwlr_foreign_toplevel_handle_v1_listener listener = {
            &Title, &AppId, &OutputEnter, &OutputLeave, &State, &Done, &Closed, &Parent};
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, self);
    }
    static void Finished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
        auto* self = static_cast<Connection*>(data);
        if (self->toplevelManager_ == manager) {
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
            self->toplevelManager_ = nullptr;
        }
    }

    static Toplevel* Of(void* data, zwlr_foreign_toplevel_handle_v1* handle, WindowId* id = nullptr) {
        auto* self = static_cast<Connection*>(data);
        for (auto& [key, toplevel] : self->toplevels_)
            if (toplevel.handle == handle) {
                if (id)
                    *id = key;
                return &toplevel;
            }
        return nullptr;
    }
    static void Title(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* title) {
        if (Toplevel* t = Of(data, handle))
            t->pendingTitle = QString::fromUtf8(title);
    }
    static void AppId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId) {
        if (Toplevel* t = Of(data, handle))
            t->pendingAppId = QString::fromUtf8(appId);
    }
    static void OutputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void OutputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    // The activated state counts from the state event itself, not from the "done" that
    // closes the group: the compositor may send that once for several changes, and a
    // window activated and deactivated again in between must still count as a change.
    static void State(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states) {
        auto* self = static_cast<Connection*>(data);
        WindowId id = 0;
        Toplevel* t = Of(data, handle, &id);
        if (!t)
            return;
        bool activated = false;
        const auto* begin = static_cast<const uint32_t*>(states->data);
        const auto* end = begin + states->size / sizeof(uint32_t);
        for (const auto* s = begin; s != end; ++s)
            if (*s == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                activated = true;
        if (activated == t->activated)
            return;
        t->activated = activated;
        ++self->activationChanges_;
        if (activated) {
            self->recentActivations_.emplace_back(++self->activations_, id);
            if (self->recentActivations_.size() > 16)
                self->recentActivations_.erase(self->recentActivations_.begin());
        }
    }
    static void Done(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
        if (Toplevel* t = Of(data, handle)) {
            t->title = t->pendingTitle;
            t->appId = t->pendingAppId;
        }
    }
    static void Closed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<Connection*>(data);
        WindowId id = 0;
        if (Toplevel* t = Of(data, handle, &id)) {
            if (t->activated)
                ++self->activationChanges_;
            self->toplevels_.erase(id);
        }
        if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(handle)) >=
            ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_DESTROY_SINCE_VERSION)
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(handle));
    }
    static void Parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
};

std::shared_ptr<Connection> Connection::Open(const QString& ownAppId) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::shared_ptr<Connection> connection(new Connection(display, ownAppId));
    if (!connection->Setup())
        return nullptr;
    return connection;
}

Connection::Connection(wl_display* display, const QString& ownAppId)
    : display_(display), ownAppId_(ownAppId) {}

bool Connection::Setup() {
    registry_ = wl_display_get_registry(display_);
    static const wl_registry_listener listener = {&Listeners::Global, &Listeners::GlobalRemove};
    wl_registry_add_listener(registry_, &listener, this);
    // The globals, then the windows that exist now with their state.
    if (!Roundtrip(2000) || !Roundtrip(2000))
        return false;
    if (QCoreApplication::instance()) {
        notifier_ = std::make_unique<Notifier>();
        notifier_->socket = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_),
                                                              QSocketNotifier::Read);
        QObject::connect(notifier_->socket.get(), &QSocketNotifier::activated,
                         &notifier_->context, [this] { Poll(); });
    }
    reportedChanges_ = activationChanges_;
    return true;
}

Connection::~Connection() {
    notifier_.reset();
    for (auto& [id, toplevel] : toplevels_)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(toplevel.handle));
    if (toplevelManager_)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(toplevelManager_));
    if (keyboardManager_)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(keyboardManager_));
    if (seat_)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(seat_));
    if (registry_)
        wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

bool Connection::Alive() {
    return wl_display_get_error(display_) == 0;
}

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    return int(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

// Writes out what is queued, waiting for room in the socket if it is full.
bool FlushAll(wl_display* display, Clock::time_point deadline) {
    while (wl_display_flush(display) < 0) {
        if (errno != EAGAIN)
            return false;
        pollfd out{wl_display_get_fd(display), POLLOUT, 0};
        if (poll(&out, 1, MsLeft(deadline)) <= 0)
            return false;
    }
    return true;
}

} // namespace

bool Connection::WaitForEvents(int timeoutMs) {
    if (!Alive())
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (wl_display_prepare_read(display_) != 0)
        wl_display_dispatch_pending(display_);
    if (!FlushAll(display_, deadline)) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd in{wl_display_get_fd(display_), POLLIN, 0};
    int ready;
    do
        ready = poll(&in, 1, MsLeft(deadline));
    while (ready < 0 && errno == EINTR && MsLeft(deadline) > 0);
    if (ready <= 0) {
        wl_display_cancel_read(display_);
        return false;
    }
    if (wl_display_read_events(display_) < 0)
        return false;
    wl_display_dispatch_pending(display_);
    Dispatched();
    return Alive();
}

void Connection::Poll() {
    if (!Alive())
        return;
    while (wl_display_prepare_read(display_) != 0)
        wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    pollfd in{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&in, 1, 0) > 0) {
        wl_display_read_events(display_);
    } else {
        wl_display_cancel_read(display_);
    }
    wl_display_dispatch_pending(display_);
    Dispatched();
}

bool Connection::Roundtrip(int timeoutMs) {
    if (!Alive())
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &listener, &done);
    while (!done && Alive()) {
        // Events already read (by the event loop, say) count too.
        wl_display_dispatch_pending(display_);
        if (done || !WaitForEvents(MsLeft(deadline)))
            break;
    }
    wl_callback_destroy(callback);
    Dispatched();
    return done;
}

void Connection::Dispatched() {
    if (activationChanges_ == reportedChanges_ || !onActivatedChanged_ || !notifier_ ||
        notifier_->queued)
        return;
    notifier_->queued = true;
    QTimer::singleShot(0, &notifier_->context, [this] {
        notifier_->queued = false;
        reportedChanges_ = activationChanges_;
        if (onActivatedChanged_)
            onActivatedChanged_();
    });
}

WindowId Connection::Activated() const {
    WindowId found = 0;
    for (const auto& [id, toplevel] : toplevels_) {
        if (!toplevel.activated)
            continue;
        if (IsOwn(toplevel))
            return 0;
        found = id;
    }
    return found;
}

bool Connection::IsOwn(const Toplevel& toplevel) const {
    return !ownAppId_.isEmpty() && toplevel.appId == ownAppId_;
}

const Toplevel* Connection::Find(WindowId window) const {
    const auto found = toplevels_.find(window);
    return found == toplevels_.end() ? nullptr : &found->second;
}

bool Connection::Activate(WindowId window) {
    const Toplevel* toplevel = Find(window);
    if (!toplevel || !seat_)
        return false;
    zwlr_foreign_toplevel_handle_v1_activate(toplevel->handle, seat_);
    return true;
}

WindowId Connection::ActivatedSince(std::uint64_t mark, WindowId except) const {
    for (auto it = recentActivations_.rbegin(); it != recentActivations_.rend(); ++it)
        if (it->first > mark && it->second != except && Find(it->second))
            return it->second;
    return 0;
}

void Connection::SetActivatedChangedHandler(std::function<void()> handler) {
    onActivatedChanged_ = std::move(handler);
    reportedChanges_ = activationChanges_;
}

} // namespace kelpo::wayland
