#include "mainwindow/ForegroundTracker.h"

#include "storage/Program.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace kelpo {

ForegroundTracker::ForegroundTracker(Program& program) : program_(program) {
    // Follow the foreground window as it changes, not only once a second.
    if (program_.platform.windows)
        program_.platform.windows->SetForegroundChangedHandler(
            [this](WindowId window) { Note(window); });
}

ForegroundTracker::~ForegroundTracker() {
    if (program_.platform.windows)
        program_.platform.windows->SetForegroundChangedHandler({});
}

void ForegroundTracker::Poll() {
    if (program_.platform.windows)
        Note(program_.platform.windows->ForegroundWindow());
}

void ForegroundTracker::Note(WindowId window) {
    // Keep the last foreign window: no window at all (a moment between two) is no target.
    if (window == 0 || IsOwnWindow(window))
        return;
    program_.TargetWindow = window;
}

bool ForegroundTracker::IsOwnWindow(WindowId window) {
    for (QWindow* own : QGuiApplication::allWindows())
        if (own->handle() && own->winId() == window)
            return true;
    for (QWidget* own : QApplication::topLevelWidgets())
        if (own->internalWinId() == window)
            return true;
    return false;
}

} // namespace kelpo
