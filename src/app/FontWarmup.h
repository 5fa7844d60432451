#pragma once
// Reading the system's font configuration is the largest single piece of start-up, and
// nothing needs it until the main window is built. A worker thread reads it while the
// application object is made, and the main thread waits for it just before the windows.

#include <thread>

namespace kelpo {

class FontWarmup {
public:
    // Starts reading the font configuration on a thread of its own.
    FontWarmup();
    // Waits for it, if Finish() has not.
    ~FontWarmup();
    FontWarmup(const FontWarmup&) = delete;
    FontWarmup& operator=(const FontWarmup&) = delete;

    // Waits until the configuration is read. Qt's own reading then finds it done instead
    // of reading it a second time beside the worker.
    void Finish();

private:
    std::thread worker_;
};

} // namespace kelpo
