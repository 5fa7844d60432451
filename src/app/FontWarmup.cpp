#include "app/FontWarmup.h"

#ifdef KELPO_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include <QFontDatabase>
#include <QStringList>

#include <system_error>

namespace kelpo {

FontWarmup::FontWarmup() {
    // A thread that cannot start only means the main thread reads the fonts itself.
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
    }
}

FontWarmup::~FontWarmup() {
    Finish();
}

void FontWarmup::Work() {
#ifdef KELPO_HAVE_FONTCONFIG
    FcInit();
#endif
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return next_ != Next::Wait; });
    if (next_ != Next::FillDatabase)
        return;
    lock.unlock();
    // Qt's font database may be used from any thread and is shared by all. (Loading a font
    // here would not help: font engines are kept per thread.)
    QFontDatabase::families();
}

void FontWarmup::ApplicationReady() {
    {
        std::lock_guard lock(mutex_);
        if (next_ == Next::Wait)
            next_ = Next::FillDatabase;
    }
    changed_.notify_one();
}

void FontWarmup::Finish() {
    {
        std::lock_guard lock(mutex_);
        if (next_ == Next::Wait)
            next_ = Next::Stop;
    }
    changed_.notify_one();
    if (worker_.joinable())
        worker_.join();
}

} // namespace kelpo
