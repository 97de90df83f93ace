#pragma once
// The transmitter's preview of the picture it sends.
#include <string>

#include "core/ScreenPicture.h"
#include "core/WindowTypes.h"

// Paints the picture into the window's client area at (15, 15), squeezed
// to 96 x 95 pixels, upright; nothing when the window is null.
void showPreview(win::HWND window, const tx::ScreenPicture& picture);
// Writes a short note centred over the preview ("" takes it away).
void showPreviewNote(win::HWND window, const std::string& note);
