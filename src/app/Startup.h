#pragma once
// Start-up: the data folder, the one-instance guard, old-layout data, the settings, the
// screen check, and the main window with the shell over it, which makes the insertion
// window when an entry is first opened. Shutdown writes nothing: every change is on disk
// the moment it is made.
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

namespace kelpo {

struct Program;
class Pages;
class SingleInstance;
class WindowShell;

// The screen the main window opens on: its geometry in pixels and its twips per pixel
// (1440 / logical DPI).
struct ScreenInfo {
    QRect geometry;
    double twipsPerPixel = 15.0;

    QSize SizeInTwips() const;
    static ScreenInfo Primary();
};

// How far the main window's pointer mark stands above a clicked name: 100 twips on a
// screen of 15 twips per pixel, else 50.
int PressOffsetFor(double twipsPerPixel);

class Startup {
public:
    // `runtimeFolder`: where the instance guard lives; empty for the user's runtime folder.
    explicit Startup(Program& program, const QString& runtimeFolder = {});
    ~Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    // The whole start-up over `dataFolder`. True when the program is to run; false when
    // it ended during start-up (another instance runs, or the screen is too small), with
    // the exit code in ExitCode().
    bool Main(const QString& dataFolder);
    int ExitCode() const { return exitCode_; }

    // True when another instance runs with this data folder: it was told to show itself
    // and this one ends. Otherwise creates the main window (hidden) with its title.
    bool ActivatePreviousInstance();

    // Settings, screen check, window places, names and showing the main window. False
    // when the screen is too small and the notice was shown and closed.
    bool InitializeProgram(const ScreenInfo& screen);

    // What a later start asks of the running one: the main window back in its normal
    // state (from the tray too) and in front. Nothing before start-up has shown it (a
    // request may arrive while the screen notice is open).
    void ShowMainWindow();

    Pages* pages() const { return pages_.get(); }

    // Runs once, just before the first text is measured (the program waits there for the
    // fonts it reads on another thread); until then start-up builds what needs no font.
    void SetBeforeFirstText(std::function<void()> hook) { beforeFirstText_ = std::move(hook); }

private:
    void CreateWindows();
    void WaitForFonts();
    QSize MainWindowTwips(const ScreenInfo& screen) const;

    Program& program_;
    QString runtimeFolder_;
    int exitCode_ = 0;
    bool running_ = false;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Pages> pages_;
    std::unique_ptr<WindowShell> shell_;
    std::function<void()> beforeFirstText_;
};

} // namespace kelpo
