#pragma once
// The transmitter program's window ids. Each program file has its own
// header for what it offers; the program's state is in
// transmitter/TransmitterState.h.

namespace transmitter_id {
constexpr int ScrollX = 100, ScrollY = 101;
constexpr int ValueX = 200, ValueY = 201;
constexpr int AdjustOutput = 115, LineSync = 4000;
// The context menu's sound cards: "Default", then one item per playback sink.
constexpr int OutputDeviceDefault = 2300, OutputDeviceFirst = 2301, OutputDeviceLast = 2399;
}  // namespace transmitter_id
