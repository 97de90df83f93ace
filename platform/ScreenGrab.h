#pragma once
// The transmitter's screen grab.
#include "core/ScreenImage.h"
#include "core/ScreenPicture.h"

namespace platform {

// Grabs the 96 x 120 pixel region of the desktop whose top-left corner is
// at (regionX, regionY). Parts of the region off every screen, and a grab
// that fails, come out black.
tx::ScreenPicture captureScreenRegion(int regionX, int regionY);
// The same grab into the given picture: false when a screen under the
// region gave no picture (that part stays as it was).
bool grabDesktopRegion(int regionX, int regionY, tx::ScreenPicture& picture);
// Every screen of the desktop in one picture, placed as the desktop places
// them, in the coordinates regions are given in. False when no screen
// gives a picture.
bool grabDesktopImage(core::ScreenImage& image);

}  // namespace platform
