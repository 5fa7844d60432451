#pragma once
// Keeps `Program::TargetWindow`, where clips are typed: the last foreground window that
// is not one of ours. It follows the window system's reports as they come and is asked
// again by the main window's one-second tick.
#include "platform/WindowSystem.h"

namespace kelpo {

struct Program;

class ForegroundTracker {
public:
    explicit ForegroundTracker(Program& program);
    ~ForegroundTracker();
    ForegroundTracker(const ForegroundTracker&) = delete;
    ForegroundTracker& operator=(const ForegroundTracker&) = delete;

    // Asks the window system which window is in front now.
    void Poll();
    // `window` came to the foreground.
    void Note(WindowId window);

    // True when `window` belongs to this program (any of its windows or dialogs).
    static bool IsOwnWindow(WindowId window);

private:
    Program& program_;
};

} // namespace kelpo
