#pragma once
// Drawing the received picture into the receiver's window.
#include <string>

#include "core/WindowTypes.h"
#include "viewer/PictureStore.h"

// Where the picture stands in the window's client area, in pixels.
constexpr int PictureLeft = 44, PictureTop = 29;

// Draws rows 0..119 of the store unscaled with its top-left corner at
// (PictureLeft, PictureTop), row 119 on top, and writes pictureLevel into
// the "Picture level" readout (100). Called once per frame after scanFrame.
void showPicture(win::HWND window, const rx::PictureStore& store, const float* videoSignal);
// Draws "No sound input" in the picture area while capture is not running.
void showNoSoundInput(win::HWND window);
// A short note over the picture ("" takes it away).
void showPictureNote(win::HWND window, const std::string& note);
