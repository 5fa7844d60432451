#pragma once
// The window system on a Wayland compositor that lists its windows (the foreign-toplevel
// protocol): the activated window, activating one, titles and existence. Window ids are
// the program's own and never reused. The program's own windows are never reported as
// the window in front: while one of them is activated there is none.
#include "platform/WindowSystem.h"

#include <memory>

namespace kelpo::wayland {
class Connection;
}

namespace kelpo {

class WaylandWindowSystem : public WindowSystem {
public:
    // Null when the compositor does not list its windows.
    static std::unique_ptr<WaylandWindowSystem> Create(
        std::shared_ptr<wayland::Connection> connection);
    ~WaylandWindowSystem() override;

    WindowId ForegroundWindow() override;
    bool BringToForeground(WindowId window, int timeoutMs) override;
    QString WindowTitle(WindowId window) override;
    // A Wayland desktop is no window: never true.
    bool IsDesktop(WindowId window) override;
    bool WindowExists(WindowId window) override;
    // Stacking is the compositor's alone on Wayland; there is nothing to ask for.
    void KeepOnTop(WindowId window) override;
    void SetForegroundChangedHandler(std::function<void(WindowId)> handler) override;

private:
    explicit WaylandWindowSystem(std::shared_ptr<wayland::Connection> connection);
    std::shared_ptr<wayland::Connection> connection_;
};

} // namespace kelpo
