#pragma once
// The transmitter's screen grab.
#include "dialog/WindowTypes.h"
#include "transmitter/ScreenPicture.h"

namespace platform {

// Grabs the 96 x 120 pixel region of the desktop whose top-left corner is
// at (regionX, regionY) and paints it as the preview into the window's
// client area at (15, 15), squeezed to 96 x 95 pixels (no preview when the
// window is null). Parts of the region off every screen, and a grab that
// fails, come out black.
// The grab alone, into the picture: false when a screen under the region
// gave no picture (that part stays as it was).
bool grabDesktopRegion(int regionX, int regionY, ScreenPicture& picture);

ScreenPicture captureScreenRegion(win::HWND window, int regionX, int regionY);

}  // namespace platform
