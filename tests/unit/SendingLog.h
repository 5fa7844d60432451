#pragma once
// A recording insertion window for the sending tests. Everything lands in one readable
// log: "<off>" / "<on>" key handling, "<ev>" processed events, "<min>" / "<minthis>" the
// two minimise actions, "<pause>" / "<resume>" the main window's timer, "[keys]" each
// SendKeys call and "![keys]" one that failed. `onSend` runs as a send begins, and may
// make that very send fail (failNext) or switch the foreground window.
#include "FakeShell.h"
#include "TestProgram.h"
#include "insertion/Sending.h"

#include <algorithm>
#include <functional>
#include <ostream>

// Readable strings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kelpo {

struct RecordingActions : InsertionActions {
    explicit RecordingActions(QString& log) : log(log) {}
    void SetKeyHandling(bool on) override { log += (keysOn = on) ? "<on>" : "<off>"; }
    void MinimizeProgram() override { log += "<min>"; }
    void MinimizeThis() override { log += "<minthis>"; }
    void ProcessEvents() override {
        log += "<ev>";
        onEvents();
    }

    QString& log;
    bool keysOn = true;
    std::function<void()> onEvents = [] {};
};

struct SendingSetup {
    static constexpr WindowId Browser = 100;
    static constexpr WindowId Terminal = 200;
    static constexpr WindowId Desktop = 1;

    SendingSetup() {
        t.fakes.windows.titles[Browser] = "Sign in - Web Browser";
        t.fakes.windows.desktops.append(Desktop);
        t.fakes.windows.foreground = t.program.TargetWindow = Browser;
        t.program.shell = &shell;
        shell.onCall = [this](const QString& call) {
            if (call == "pause" || call == "resume")
                log += "<" + call + ">";
        };
        t.fakes.keys.beforeSend = [this](const QString& keys) {
            onSend(keys);
            log += (t.fakes.keys.failNext > 0 ? "![" : "[") + keys + "]";
        };
    }

    void Clips(std::initializer_list<QString> clips) {
        std::copy(clips.begin(), clips.end(), t.program.CurrentClips.begin());
    }

    TestProgram t;
    FakeShell shell;
    QString log;
    RecordingActions actions{log};
    std::function<void(const QString&)> onSend = [](const QString&) {};
};

} // namespace kelpo
