#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/x11/X11Platform.h"

#include <cstdlib>

namespace velmora {

// An X server when one is named and answers; otherwise no desktop at all.
std::unique_ptr<Platform> createPlatform() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        if (auto x11 = X11Platform::connect()) {
            return x11;
        }
    }
    return std::make_unique<HeadlessPlatform>();
}

} // namespace velmora
