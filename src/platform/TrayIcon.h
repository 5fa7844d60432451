#pragma once
// The notification-area icon that stands in for the minimised main window.
#include <QString>

#include <functional>

namespace kelpo {

class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    // False when no tray host is running (the icon would then be invisible).
    virtual bool IsAvailable() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() = 0;

    // Handlers for a left click and a right click on the icon.
    std::function<void()> onLeftClick;
    std::function<void()> onRightClick;
    // Called when a tray host appears after start-up.
    std::function<void()> onAvailable;
    // Called when the tray host goes away (the icon with it).
    std::function<void()> onLost;
};

} // namespace kelpo
