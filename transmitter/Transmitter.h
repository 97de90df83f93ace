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
// The station's items in the same menu, above the sound cards.
constexpr int Transmit = 2400;
constexpr int SourceScreen = 2401, SourcePicture = 2402, SourceFolder = 2403, SourceCamera = 2404;
constexpr int FramesPerPicture = 2405, ChooseRegion = 2406, Callsign = 2407, Identify = 2408;
constexpr int PushToTalk = 2409;
// Timers.
constexpr int PushToTalkRetryTimer = 1;
}  // namespace transmitter_id
