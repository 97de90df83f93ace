#pragma once
// Extra windows and services beside a program's dialog: a large copy of the
// received picture, the tuning display, a text in place of a picture, a
// save-file question and menu shortcuts. Nothing here exposes Qt.
#include <string>

#include "core/WindowTypes.h"

namespace dialog {

// Draws a short text centred on a dark field in place of the picture at
// (x, y) of the dialog's client area; the next drawPicture there replaces it.
void drawPictureText(win::HWND dialog, int x, int y, int width, int height, const std::string& text);
// The text drawn at (x, y), or "" when a picture (or nothing) is there.
std::string pictureTextAt(win::HWND dialog, int x, int y);

// Gives a menu item of the dialog a keyboard shortcut ("Ctrl+S").
void setMenuShortcut(win::HWND dialog, int id, const std::string& keys);

// Asks for a file to save to, proposing a path; "" when the user cancels.
std::string askSaveFileName(const std::string& caption, const std::string& proposedPath,
                            const std::string& filter);
// Tests answer the question with a hook; null restores the real dialog.
using SaveFileHook = std::string (*)(const std::string& caption, const std::string& proposedPath);
void setSaveFileHook(SaveFileHook hook);

// A separate resizable window showing the picture scaled to fit, aspect
// kept, smoothly. Closing it by its close box sends the owner WM_COMMAND
// with closedId; closing it from the program sends nothing.
void openLargePicture(win::HWND owner, int closedId);
void closeLargePicture();
bool largePictureOpen();
// The picture, rows bottom-up, 3 bytes a pixel (blue, green, red), rows
// width * 3 bytes apart. Ignored while the window is closed.
void showLargePicture(const void* bgrBottomUp, int width, int height);

// The tuning display: spectrum, waterfall, tone markers and level meter.
// Closing by the close box sends the owner WM_COMMAND with closedId.
struct TuningFrame {
    const float* levelsDb = nullptr;  // bins from 0 Hz to topHz
    int bins = 0;
    double topHz = 0;
    const double* markersHz = nullptr;  // black, white, sync
    int markerCount = 0;
    double peak = 0;  // fractions of full scale
    double rms = 0;
    bool clipped = false;
};
void openTuningDisplay(win::HWND owner, int closedId);
void closeTuningDisplay();
bool tuningDisplayOpen();
// One captured frame: a spectrum line, the markers and the meter. Ignored
// while the window is closed.
void showTuning(const TuningFrame& frame);
// Read-back for tests: the markers and top frequency last shown, and the
// number of frames shown since the window opened.
void tuningShown(double* markersHz, int markerCount, double& topHz, int& frames);

}  // namespace dialog
