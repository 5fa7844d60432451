#include "platform/RealPlatform.h"

#include "platform/Browser.h"
#include "platform/DesktopBrowser.h"
#include "platform/DesktopSound.h"
#include "platform/KeySender.h"
#include "platform/QtTrayIcon.h"
#include "platform/Sound.h"
#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"

namespace kelpo {

// Each service is created here; a service not available on this system stays null and
// the program does without it.
RealPlatform::RealPlatform() {
    tray_ = std::make_unique<QtTrayIcon>();
    browser_ = std::make_unique<DesktopBrowser>();
    sound_ = std::make_unique<DesktopSound>();
}

RealPlatform::~RealPlatform() = default;

Platform RealPlatform::Get() const {
    return Platform{keys_.get(), windows_.get(), browser_.get(), sound_.get(), tray_.get()};
}

} // namespace kelpo
