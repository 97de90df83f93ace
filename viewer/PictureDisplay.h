#pragma once
// Drawing the received picture into the receiver's window.
#include "dialog/WindowTypes.h"
#include "viewer/PictureStore.h"

// Client pixel of the picture's top-left corner.
constexpr int PictureLeft = 44;
constexpr int PictureTop = 29;
// Readout that shows the picture level.
constexpr int PictureLevelReadout = 100;

// Draws rows 0..119 of the store unscaled at (44, 29), row 119 on top, and
// writes pictureLevel into readout 100. Called once per frame after
// scanFrame.
void showPicture(win::HWND window, const PictureStore& store, const float* videoSignal);
