#pragma once
// The platform services the program uses, handed to the program as one bundle: the real
// ones in the application, recording fakes in tests.

namespace kelpo {

class KeySender;
class WindowSystem;
class Browser;
class Clipboard;
class Sound;
class TrayIcon;

struct Platform {
    KeySender* keys = nullptr;
    WindowSystem* windows = nullptr;
    Browser* browser = nullptr;
    Sound* sound = nullptr;
    TrayIcon* tray = nullptr;
    Clipboard* clipboard = nullptr;
};

} // namespace kelpo
