#pragma once
// The real platform services of this system, created once by the application.
#include "platform/Platform.h"

#include <memory>

namespace kelpo {

namespace wayland {
class Connection;
}

class RealPlatform {
public:
    RealPlatform();
    ~RealPlatform();
    RealPlatform(const RealPlatform&) = delete;
    RealPlatform& operator=(const RealPlatform&) = delete;

    Platform Get() const;

    // The key sender, made apart from the rest: it opens a connection of its own and reads
    // the keyboard map, which nothing needs before the main window is up. Null when keys
    // cannot be typed here.
    KeySender* CreateKeySender();

private:
    // On Wayland, the connection both services share; declared first, so it ends last.
    std::shared_ptr<wayland::Connection> wayland_;
    std::unique_ptr<KeySender> keys_;
    std::unique_ptr<WindowSystem> windows_;
    std::unique_ptr<Browser> browser_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<Clipboard> clipboard_;
};

} // namespace kelpo
