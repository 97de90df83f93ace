#pragma once
// The transmitter's window and the program's start.
#include "core/WindowTypes.h"

// Builds the window hidden, with its eight controls.
win::HWND buildTransmitterWindow();
// The whole program: build and modal show. Returns the exit code. The
// station's command line, read beforehand, is in the transmitter's record.
int runTransmitter();
