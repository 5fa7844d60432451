#pragma once
// The real platform services of this system, created once by the application.
#include "platform/Platform.h"

#include <memory>

namespace kelpo {

class RealPlatform {
public:
    RealPlatform();
    ~RealPlatform();
    RealPlatform(const RealPlatform&) = delete;
    RealPlatform& operator=(const RealPlatform&) = delete;

    Platform Get() const;

private:
    std::unique_ptr<KeySender> keys_;
    std::unique_ptr<WindowSystem> windows_;
    std::unique_ptr<Browser> browser_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<TrayIcon> tray_;
};

} // namespace kelpo
