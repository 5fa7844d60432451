#include "FakePlatform.h"

namespace kelpo {

SendResult FakeKeySender::SendKeysTo(WindowId target, const QString& keys, bool wait) {
    ++calls;
    lastWait = wait;
    lastTarget = target;
    if (beforeSend)
        beforeSend(keys);
    if (failNext > 0) {
        --failNext;
        return failure;
    }
    typed += keys;
    return SendResult::Ok;
}

bool FakeWindowSystem::BringToForeground(WindowId window, int) {
    activations.append(window);
    if (refuseActivation || !WindowExists(window))
        return foreground == window;
    SwitchTo(window);
    return true;
}

bool FakeWindowSystem::IsDesktop(WindowId window) {
    return desktops.contains(window) ||
           titles.value(window).toUpper() == QStringLiteral("PROGRAM MANAGER");
}

void FakeWindowSystem::SwitchTo(WindowId window) {
    if (foreground == window)
        return;
    foreground = window;
    if (onForegroundChanged)
        onForegroundChanged(window);
}

bool FakeBrowser::Open(const QString& address) {
    if (!available)
        return false;
    opened.append(address);
    return true;
}

void FakeTrayIcon::Show() {
    ++shows;
    visible = available;
}

} // namespace kelpo
