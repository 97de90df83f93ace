#include "platform/ScreenCapture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ScreenGrab.h"

namespace platform {

bool portalCaptureChosen() {
    static const bool portal = [] {
        const char* forced = std::getenv("NBTV_SCREEN_CAPTURE");
        if (forced != nullptr && std::strcmp(forced, "portal") == 0) return true;
        if (forced != nullptr && std::strcmp(forced, "x11") == 0) return false;
        if (forced != nullptr && *forced != '\0')
            std::fprintf(stderr, "NBTV_SCREEN_CAPTURE=%s is neither x11 nor portal; ignored\n", forced);
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const char* session = std::getenv("XDG_SESSION_TYPE");
        return (wayland != nullptr && *wayland != '\0') ||
               (session != nullptr && std::strcmp(session, "wayland") == 0);
    }();
    return portal;
}

ScreenAccess grabScreenRegion(int regionX, int regionY, tx::ScreenPicture& picture) {
    if (portalCaptureChosen()) return grabPortalRegion(regionX, regionY, picture);
    return grabDesktopRegion(regionX, regionY, picture) ? ScreenAccess::Granted : ScreenAccess::None;
}

bool grabWholeScreen(core::ScreenImage& image) {
    if (portalCaptureChosen()) return grabPortalScreen(image);
    return grabDesktopImage(image);
}

void stopScreenCapture() {
    if (portalCaptureChosen()) stopPortalCapture();
}

}  // namespace platform
