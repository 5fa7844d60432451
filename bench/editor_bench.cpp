// Editor benchmark: the time from a real click on a main-window Edit button to the Website
// Editor shown and painted, over the program's own start-up (the windows a user sees), on
// a real X display (bench/editor.sh runs it in a private one).
//
//   editor_bench DATA_FOLDER [RUNS]
//
// The click is a real pointer click sent through the X server (XTest); "painted" is the end
// of the editor's first paint. The entry opened holds 40 clips, so every row is filled.
// Prints one line per run with the milliseconds, then "median <ms>".
#include "app/RealPlatform.h"
#include "app/Startup.h"
#include "editor/Edit.h"
#include "entries/ClipSet.h"
#include "mainwindow/Pages.h"
#include "storage/Program.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace kelpo;

namespace {

using Clock = std::chrono::steady_clock;

// Notes the end of the editor's first paint and closes it as Cancel would.
class PaintWatch : public QObject {
public:
    Clock::time_point painted;
    bool done = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<Edit*>(watched);
        if (edit && event->type() == QEvent::Paint && !done) {
            done = true;
            // Queued, so it runs once this paint has finished.
            QTimer::singleShot(0, edit, [this, edit] {
                painted = Clock::now();
                edit->CancelBtn_MouseUp();
            });
        }
        return false;
    }
};

void Click(Display* display, QPoint global) {
    XTestFakeMotionEvent(display, -1, global.x(), global.y(), CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

void WaitUntil(const std::function<bool()>& ready, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ready() && Clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: editor_bench DATA_FOLDER [RUNS]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "editor_bench: no X display\n");
        return 1;
    }

    QDir().mkpath(folder + QStringLiteral("/runtime"));
    Program program;
    RealPlatform platform;
    program.platform = platform.Get();
    Startup startup(program, folder + QStringLiteral("/runtime"));
    if (!startup.Main(folder))
        return 1;
    Pages* pages = startup.pages();

    // A full entry in slot 0.
    ClipSet entry;
    entry.Slot = 0;
    entry.Name = QStringLiteral("Example Bank");
    entry.Url = QStringLiteral("https://bank.example/login");
    for (int i = 0; i < ClipCount; ++i)
        entry.Clips[i] = QStringLiteral("clip %1 {Tab}").arg(i);
    SaveClipSet(program, entry);

    PaintWatch watch;
    app.installEventFilter(&watch);
    auto* button = pages->findChild<QWidget*>(QStringLiteral("UseBtn_0"));
    if (!button) {
        std::fprintf(stderr, "editor_bench: no Edit button\n");
        return 1;
    }

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        WaitUntil([&] { return pages->isVisible() && pages->isActiveWindow(); }, 5000);
        WaitUntil([] { return false; }, 200); // let the window manager settle
        watch.done = false;
        const QPoint at = button->mapToGlobal(button->rect().center());
        const Clock::time_point clicked = Clock::now();
        Click(display, at);
        // The editor is modal: its whole opening and closing runs inside this wait.
        WaitUntil([&] { return watch.done && !QApplication::activeModalWidget(); }, 10000);
        if (!watch.done) {
            std::fprintf(stderr, "editor_bench: the editor did not open\n");
            return 1;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(watch.painted - clicked).count();
        times.push_back(ms);
        std::printf("%.1f\n", ms);
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    std::printf("median %.1f\n", n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2);
    XCloseDisplay(display);
    return 0;
}
