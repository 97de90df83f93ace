#pragma once
// The transmitter's screen grab.
#include "core/ScreenPicture.h"

namespace platform {

// Grabs the 96 x 120 pixel region of the desktop whose top-left corner is
// at (regionX, regionY). Parts of the region off every screen, and a grab
// that fails, come out black.
tx::ScreenPicture captureScreenRegion(int regionX, int regionY);

}  // namespace platform
