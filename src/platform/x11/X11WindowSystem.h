#pragma once
// The window system on X11: EWMH properties and requests on a connection of our own, with
// plain focus handling when no window manager runs.
#include "platform/WindowSystem.h"

#include <memory>

namespace kelpo {

class X11WindowSystem : public WindowSystem {
public:
    // Null when no X display can be opened.
    static std::unique_ptr<X11WindowSystem> Create();
    ~X11WindowSystem() override;

    WindowId ForegroundWindow() override;
    bool BringToForeground(WindowId window, int timeoutMs) override;
    QString WindowTitle(WindowId window) override;
    bool IsDesktop(WindowId window) override;
    bool WindowExists(WindowId window) override;
    void KeepOnTop(WindowId window) override;
    // Watches the window manager's active-window property; without a window manager
    // there is nothing to watch and the handler is not called.
    void SetForegroundChangedHandler(std::function<void(WindowId)> handler) override;

private:
    struct Impl;
    explicit X11WindowSystem(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace kelpo
