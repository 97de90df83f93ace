#pragma once
// Building one frame of the transmitter's signal from a fresh picture of
// its source.
#include "transmitter/Synthesis.h"

// Takes the source's picture (the screen region at (regionX, regionY)
// unless another source is chosen), marks it with the callsign, paints the
// preview into the transmitter's window and writes the frame's samples
// into the buffer.
void buildFrame(tx::FrameBuffer& buffer);
// The preview alone, while nothing is sent: the picture that would go out
// and the note saying why it does not.
void showStillPicture();
