#pragma once
// A Wayland connection of the program's own, separate from Qt's, with the compositor
// services typing needs: the seat, the virtual-keyboard manager and the list of top-level
// windows (foreign toplevels) with their titles and which one is activated. Events are
// read as they come while the event loop runs, and on demand during a send.
#include "platform/WindowSystem.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_foreign_toplevel_manager_v1;
struct zwp_virtual_keyboard_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace kelpo::wayland {

struct Toplevel {
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    QString title;
    QString appId;
    bool activated = false; // as of the latest state event
    // What the compositor has said since its last "done", applied at the next one.
    QString pendingTitle;
    QString pendingAppId;
};

class Connection {
public:
    // Connects to the compositor named by WAYLAND_DISPLAY; null when there is none.
    // `ownAppId` is the application id of the program's own windows, which are never
    // reported as the window in front.
    static std::shared_ptr<Connection> Open(const QString& ownAppId);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display* Display() const { return display_; }
    wl_seat* Seat() const { return seat_; }
    zwp_virtual_keyboard_manager_v1* KeyboardManager() const { return keyboardManager_; }
    bool HasToplevels() const { return toplevelManager_ != nullptr; }
    // False once the compositor has ended the connection.
    bool Alive();

    // Sends what is queued and reads every event up to now; false when the compositor did
    // not answer within `timeoutMs` or the connection is gone.
    bool Roundtrip(int timeoutMs);
    // Sends what is queued, then reads the events that have already come, without waiting.
    void Poll();
    // Blocks until an event comes or `timeoutMs` passes; false on a dead connection.
    bool WaitForEvents(int timeoutMs);

    // The activated window that is not one of ours; 0 when there is none.
    WindowId Activated() const;
    const Toplevel* Find(WindowId window) const;
    bool IsOwn(const Toplevel& toplevel) const;
    // Asks the compositor to activate `window` (queued; sent with the next flush).
    bool Activate(WindowId window);

    // Counts every change of the activated window, ours included: two equal readings
    // around a stretch of events mean no window took or lost the activation meanwhile.
    std::uint64_t ActivationChanges() const { return activationChanges_; }

    // The last window other than `except` that was activated after the `mark`-th
    // activation (see Activations()) and still exists; 0 when there is none.
    WindowId ActivatedSince(std::uint64_t mark, WindowId except) const;
    std::uint64_t Activations() const { return activations_; }

    // Called after the event loop has read a change of the activated window.
    void SetActivatedChangedHandler(std::function<void()> handler);

    struct Listeners; // the C callbacks, in the .cpp

private:
    Connection(wl_display* display, const QString& ownAppId);
    bool Setup();
    void Dispatched();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    zwlr_foreign_toplevel_manager_v1* toplevelManager_ = nullptr;
    std::map<WindowId, Toplevel> toplevels_;
    // Ids are never reused, and start far above any id Qt gives a window of the program's
    // (a small number or an address on Wayland), with which the program compares them.
    WindowId nextId_ = WindowId(1) << 48;
    std::uint64_t activationChanges_ = 0;
    std::uint64_t reportedChanges_ = 0;
    std::uint64_t activations_ = 0;
    std::vector<std::pair<std::uint64_t, WindowId>> recentActivations_; // the last few
    QString ownAppId_;
    std::function<void()> onActivatedChanged_;
    struct Notifier;
    std::unique_ptr<Notifier> notifier_;
};

} // namespace kelpo::wayland
