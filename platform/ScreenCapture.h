#pragma once
// Where the transmitter's screen region comes from. On an X11 session the
// screen is grabbed directly; on a Wayland session (WAYLAND_DISPLAY set, or
// XDG_SESSION_TYPE=wayland) it comes from the desktop portal's screen cast,
// for which the desktop asks the user once to choose a screen.
// NBTV_SCREEN_CAPTURE=x11 or =portal forces one of the two.
#include <cstdint>

#include "core/ScreenImage.h"
#include "core/ScreenPicture.h"

namespace platform {

enum class ScreenAccess {
    Granted,  // the picture shows the screen
    Asking,   // the desktop is still being asked (the user may be choosing)
    None,     // no picture of the screen can be had: refused, no portal, stream gone
};

// Whether the portal is used, decided once from the environment.
bool portalCaptureChosen();

// Copies the 96 x 120 region at (regionX, regionY) into the picture and
// says whether it shows the screen; without access the picture is left as
// it is (black when fresh). The portal is asked at the first call and
// again by itself after the stream ends or the portal restarts.
ScreenAccess grabScreenRegion(int regionX, int regionY, tx::ScreenPicture& picture);

// A picture of everything the region can be cut from, for choosing it:
// every screen of an X11 desktop, or the monitor the portal shares. False
// when there is nothing to show (no access to the screen).
bool grabWholeScreen(core::ScreenImage& image);

// A pixel word as an opaque 0xAARRGGBB colour, each component widened from
// five bits to eight.
inline std::uint32_t argbOfWord(std::uint16_t word) {
    auto widen = [](unsigned c) { return (c << 3) | (c >> 2); };
    return 0xFF000000u | widen((word >> 10) & 31u) << 16 | widen((word >> 5) & 31u) << 8 |
           widen(word & 31u);
}

// Ends the portal session and its stream, if any (at program end).
void stopScreenCapture();

// The portal path, whatever the session (used by the above).
ScreenAccess grabPortalRegion(int regionX, int regionY, tx::ScreenPicture& picture);
void stopPortalCapture();
bool grabPortalScreen(core::ScreenImage& image);

}  // namespace platform
