#pragma once
// The transmitter program: its settings record, its window and its one
// event handler.
#include "core/WindowTypes.h"
#include "transmitter/TransmitterSettings.h"

// The one settings record of the transmitter, alive for the whole run.
extern tx::TransmitterSettings transmitterSettings;
// The transmitter's window; the preview is painted into it and it receives
// the sound device's notifications.
extern win::HWND transmitterWindow;

namespace transmitter_id {
constexpr int ScrollX = 100, ScrollY = 101;
constexpr int ValueX = 200, ValueY = 201;
constexpr int AdjustOutput = 115, LineSync = 4000;
// The context menu's sound cards: "Default", then one item per playback sink.
constexpr int OutputDeviceDefault = 2300, OutputDeviceFirst = 2301, OutputDeviceLast = 2399;
}  // namespace transmitter_id

// Builds the window hidden, with its eight controls.
win::HWND buildTransmitterWindow();
// The whole program: build and modal show. Returns the exit code.
int runTransmitter();

// The transmitter's event handler.
win::LRESULT transmitterEvent(win::HWND window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam);
// The scroll handler of both region bars.
void regionScroll(win::HWND window, win::WPARAM wParam, win::LPARAM lParam);

// Control handlers.
win::LRESULT onAdjustOutput(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLineSync(win::HWND, win::UINT, win::WPARAM, win::LPARAM);

// Sound output: start (two frames built and queued), a played buffer
// (refill and queue again), stop.
void startSoundOutput(win::HWND window);
void soundBufferDone();
void stopSoundOutput();
// Whether the sound device opened at the start; the preview says when not.
bool soundOutputOpen();

// The choice of sound card in the window's context menu: built with the
// window, rebuilt from the sound server's list, and a chosen item (other
// commands are ignored).
void addOutputDeviceMenu(win::HWND window);
void refreshOutputDevices(win::HWND window);
void outputDeviceCommand(win::HWND window, int id);
