#include "app/RealPlatform.h"

#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/DesktopBrowser.h"
#include "platform/DesktopSound.h"
#include "platform/KeySender.h"
#include "platform/QtClipboard.h"
#include "platform/QtTrayIcon.h"
#include "platform/Sound.h"
#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeySender.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11WindowSystem.h"

#include <QGuiApplication>

namespace kelpo {

namespace {

// The X11 services only when Qt itself runs on X11: on another platform (offscreen,
// Wayland) their windows would not be the program's.
bool OnX11() {
    return !qGuiApp || QGuiApplication::platformName() == u"xcb";
}

// Qt itself runs as a Wayland client: the Wayland services, where the compositor offers
// them (wlroots compositors such as sway do; GNOME and KDE do not).
bool OnWayland() {
    return qGuiApp && QGuiApplication::platformName() == u"wayland";
}

} // namespace

// Each service is created here; a service not available on this system stays null and
// the program does without it.
RealPlatform::RealPlatform() {
    tray_ = std::make_unique<QtTrayIcon>();
    browser_ = std::make_unique<DesktopBrowser>();
    sound_ = std::make_unique<DesktopSound>();
    clipboard_ = std::make_unique<QtClipboard>();
    if (OnX11()) {
        windows_ = X11WindowSystem::Create();
    } else if (OnWayland()) {
        // The program's own windows carry the desktop entry's name as their id.
        wayland_ = wayland::Connection::Open(QGuiApplication::desktopFileName());
        windows_ = WaylandWindowSystem::Create(wayland_);
    }
}

KeySender* RealPlatform::CreateKeySender() {
    if (!keys_ && OnX11())
        keys_ = X11KeySender::Create();
    else if (!keys_ && OnWayland())
        keys_ = WaylandKeySender::Create(wayland_);
    return keys_.get();
}

RealPlatform::~RealPlatform() = default;

Platform RealPlatform::Get() const {
    return Platform{keys_.get(), windows_.get(), browser_.get(), sound_.get(), tray_.get(),
                    clipboard_.get()};
}

} // namespace kelpo
