#pragma once
// Reading the system's fonts is the largest single piece of start-up, and nothing needs
// it until the main window shows its first text. A worker thread reads the font
// configuration while the application object is made, then fills Qt's font database
// while the main thread builds the windows; the main thread waits for it just before the
// first text is measured.

#include <condition_variable>
#include <mutex>
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

    // The application object exists: the worker may go on to Qt's font database.
    void ApplicationReady();
    // Waits until the worker is done (it skips Qt's part when ApplicationReady() did not
    // come first). Qt's own reading then finds the work done instead of doing it a second
    // time beside the worker.
    void Finish();

private:
    enum class Next { Wait, FillDatabase, Stop };
    void Work();

    std::mutex mutex_;
    std::condition_variable changed_;
    Next next_ = Next::Wait;
    std::thread worker_;
};

} // namespace kelpo
