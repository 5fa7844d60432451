#include "app/FontWarmup.h"

#ifdef KELPO_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include <system_error>

namespace kelpo {

FontWarmup::FontWarmup() {
#ifdef KELPO_HAVE_FONTCONFIG
    // A thread that cannot start only means the main thread reads the fonts itself.
    try {
        worker_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
    }
#endif
}

FontWarmup::~FontWarmup() {
    Finish();
}

void FontWarmup::Finish() {
    if (worker_.joinable())
        worker_.join();
}

} // namespace kelpo
