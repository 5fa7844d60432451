#pragma once
// Recording fakes of the platform services. Each records what it was asked in one
// readable string, so tests compare sequences, e.g. "{HOME}+{END}{DEL}user{TAB}".
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/KeySender.h"
#include "platform/Platform.h"
#include "platform/Sound.h"
#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace kelpo {

class FakeKeySender : public KeySender {
public:
    SendResult SendKeysTo(WindowId target, const QString& keys, bool wait) override {
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

    QString typed;    // every successful send, concatenated
    int calls = 0;    // SendKeys calls, failed ones included
    int failNext = 0; // the next n calls fail with `failure`, typing nothing
    SendResult failure = SendResult::Failed;
    WindowId lastTarget = 0;
    bool lastWait = false;
    // Called before each send (for example to change the foreground window mid-run).
    std::function<void(const QString&)> beforeSend;
};

class FakeWindowSystem : public WindowSystem {
public:
    WindowId ForegroundWindow() override { return foreground; }
    bool BringToForeground(WindowId window, int) override {
        activations.append(window);
        if (refuseActivation || !WindowExists(window))
            return foreground == window;
        SwitchTo(window);
        return true;
    }
    QString WindowTitle(WindowId window) override { return titles.value(window); }
    bool IsDesktop(WindowId window) override {
        return desktops.contains(window) || titles.value(window).toUpper() == "PROGRAM MANAGER";
    }
    bool WindowExists(WindowId window) override { return window != 0 && !gone.contains(window); }
    void KeepOnTop(WindowId window) override { keptOnTop.append(window); }
    void SetForegroundChangedHandler(std::function<void(WindowId)> handler) override {
        onForegroundChanged = std::move(handler);
    }

    // Makes `window` the foreground window and tells the handler, as a real switch would.
    void SwitchTo(WindowId window) {
        const bool changed = foreground != window;
        foreground = window;
        if (changed && onForegroundChanged)
            onForegroundChanged(window);
    }

    WindowId foreground = 0;
    bool refuseActivation = false; // BringToForeground fails (a window that won't come)
    QMap<WindowId, QString> titles;
    QList<WindowId> desktops;
    QList<WindowId> gone;
    QList<WindowId> activations; // every BringToForeground asked
    QList<WindowId> keptOnTop;
    std::function<void(WindowId)> onForegroundChanged;
};

class FakeBrowser : public Browser {
public:
    bool Open(const QString& address) override {
        if (available)
            opened.append(address);
        return available;
    }
    QStringList opened;
    bool available = true;
};

class FakeSound : public Sound {
public:
    void PlayAsterisk() override { ++played; }
    int played = 0;
};

class FakeTrayIcon : public TrayIcon {
public:
    bool IsAvailable() override { return available; }
    void Show() override {
        ++shows;
        visible = available;
    }
    void Hide() override { visible = false; }
    bool IsVisible() override { return visible; }

    bool available = true;
    bool visible = false;
    int shows = 0;
};

// All the fakes together, ready to hand to a Program.
class FakeClipboard : public Clipboard {
public:
    void CopyPrivately(const QString& text) override { copies.append(text); }
    QStringList copies;
};

struct FakePlatform {
    FakeKeySender keys;
    FakeWindowSystem windows;
    FakeBrowser browser;
    FakeSound sound;
    FakeTrayIcon tray;
    FakeClipboard clipboard;

    Platform Get() { return Platform{&keys, &windows, &browser, &sound, &tray, &clipboard}; }
};

} // namespace kelpo
