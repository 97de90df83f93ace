#pragma once
// Read-back and simulated user actions for the station's questions
// (dialog_testing).
namespace dialog {

// The open region overlay's size in pixels; false when none is open.
bool regionOverlaySize(int& width, int& height);
// Moves the pointer to (x, y) of the open overlay and clicks there, with
// the left button or another; false when none is open.
bool clickRegionOverlay(int x, int y, bool leftButton);

}  // namespace dialog
