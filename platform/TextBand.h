#pragma once
// Text written into the transmitter's picture: a callsign in a band, or a
// whole frame of it.
#include <string>

#include "core/ScreenPicture.h"

namespace platform {

// Blacks out `height` rows of the picture from row `top` down (counted
// from the picture's top edge) and writes the text across them in white,
// bold, its letters stretched to fill the band less a small margin: a
// 32-line picture resolves about 32 points across, so the text must take
// all the room it is given. An empty text leaves only the black band.
void drawTextBand(tx::ScreenPicture& picture, const std::string& text, int top, int height);

}  // namespace platform
