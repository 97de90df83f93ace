#pragma once
// Building one frame of the transmitter's signal from a fresh grab of the
// screen region.
#include "transmitter/Synthesis.h"

// Grabs the region at (regionX, regionY), paints the preview into the
// transmitter's window and writes the frame's samples into the buffer.
void buildFrame(tx::FrameBuffer& buffer);
