#pragma once
// Where the transmitter's screen region comes from. On an X11 session the
// screen is grabbed directly; on a Wayland session (WAYLAND_DISPLAY set, or
// XDG_SESSION_TYPE=wayland) it comes from the desktop portal's screen cast,
// for which the desktop asks the user once to choose a screen.
// NBTV_SCREEN_CAPTURE=x11 or =portal forces one of the two.
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

// Ends the portal session and its stream, if any (at program end).
void stopScreenCapture();

// The portal path, whatever the session (used by the above).
ScreenAccess grabPortalRegion(int regionX, int regionY, tx::ScreenPicture& picture);
void stopPortalCapture();

}  // namespace platform
