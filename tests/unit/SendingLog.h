#pragma once
// A recording insertion window for the sending tests. Everything lands in one readable
// log: "<off>" / "<on>" key handling, "<ev>" processed events, "<min>" / "<minthis>" the
// two minimise actions, "<pause>" / "<resume>" the main window's timer, "[keys]" each
// SendKeys call and "![keys]" one that failed. `onSend` runs as a send begins, and may
// make that very send fail (failNext) or switch the foreground window.
#include "TestProgram.h"
#include "insertion/Sending.h"

#include <functional>
#include <ostream>

// Readable strings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kelpo {

class RecordingActions : public InsertionActions {
public:
    explicit RecordingActions(QString& log) : log_(log) {}

    void SetKeyHandling(bool on) override {
        keysOn = on;
        log_ += on ? "<on>" : "<off>";
    }
    void MinimizeProgram() override { log_ += "<min>"; }
    void MinimizeThis() override { log_ += "<minthis>"; }
    void ProcessEvents() override {
        log_ += "<ev>";
        if (onEvents)
            onEvents();
    }

    bool keysOn = true;
    std::function<void()> onEvents;

private:
    QString& log_;
};

struct SendingSetup {
    static constexpr WindowId Browser = 100;
    static constexpr WindowId Terminal = 200;
    static constexpr WindowId Desktop = 1;

    SendingSetup() {
        auto& windows = t.fakes.windows;
        windows.titles[Browser] = "Sign in - Web Browser";
        windows.titles[Terminal] = "Terminal";
        windows.desktops.append(Desktop);
        windows.foreground = Browser;
        t.program.TargetWindow = Browser;
        t.program.pauseTimer = [this](bool paused) { log += paused ? "<pause>" : "<resume>"; };
        t.fakes.keys.beforeSend = [this](const QString& keys) {
            if (onSend)
                onSend(keys);
            log += (t.fakes.keys.failNext > 0 ? "![" : "[") + keys + "]";
        };
    }

    void Clips(std::initializer_list<QString> clips) {
        int i = 0;
        for (const QString& clip : clips)
            t.program.CurrentClips[i++] = clip;
    }

    TestProgram t;
    QString log;
    RecordingActions actions{log};
    std::function<void(const QString&)> onSend;
};

} // namespace kelpo
