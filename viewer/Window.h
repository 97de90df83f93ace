#pragma once
// The receiver's window and the program's start.
#include "core/WindowTypes.h"

// Builds the window hidden, with every control and the menu bar.
win::HWND buildViewerWindow();
// Start values of the settings, set after the window is built.
void setReceiverStartValues();
// The whole program: build, start values, modal show. Returns the exit code.
int runViewer();
