#pragma once
// Drawing the received picture into the receiver's window.
#include "core/WindowTypes.h"
#include "viewer/PictureStore.h"

// Draws rows 0..119 of the store unscaled with its top-left corner at
// client pixel (44, 29), row 119 on top, and writes pictureLevel into the
// "Picture level" readout (100). Called once per frame after scanFrame.
void showPicture(win::HWND window, const rx::PictureStore& store, const float* videoSignal);
