#pragma once
// The transmitter program: its window and its one event handler. Its state
// is in transmitter/TransmitterState.h.
#include "core/WindowTypes.h"

namespace transmitter_id {
constexpr int ScrollX = 100, ScrollY = 101;
constexpr int ValueX = 200, ValueY = 201;
constexpr int AdjustOutput = 115, LineSync = 4000;
// The context menu's sound cards: "Default", then one item per playback sink.
constexpr int OutputDeviceDefault = 2300, OutputDeviceFirst = 2301, OutputDeviceLast = 2399;
// The station's items in the same menu, above the sound cards.
constexpr int Transmit = 2400;
constexpr int SourceScreen = 2401, SourcePicture = 2402, SourceFolder = 2403, SourceCamera = 2404;
constexpr int FramesPerPicture = 2405, ChooseRegion = 2406, Callsign = 2407, Identify = 2408;
constexpr int PushToTalk = 2409;
// Timers.
constexpr int PushToTalkRetryTimer = 1;
}  // namespace transmitter_id

// Builds the window hidden, with its eight controls.
win::HWND buildTransmitterWindow();
// The whole program: build and modal show. Returns the exit code. The
// station's command line, read beforehand, is in the transmitter's record.
int runTransmitter();

// The transmitter's event handler.
win::LRESULT transmitterEvent(win::HWND window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam);
// The scroll handler of both region bars.
void regionScroll(win::HWND window, win::WPARAM wParam, win::LPARAM lParam);

// Control handlers.
win::LRESULT onAdjustOutput(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLineSync(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
