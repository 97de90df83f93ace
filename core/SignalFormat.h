#pragma once
// The picture signal on the audio line, as the transmitter sends it and the
// receiver's start values expect it: FM tones at 10000 samples a second,
// 32 lines of 120 samples and one silent sample where the tone's phase
// restarts, 3841 samples a frame, no frame sync.
namespace nbtv {

// The rate the signal is made at, in samples per second.
constexpr int SignalRate = 10000;
constexpr int LinesPerFrame = 32;
constexpr int LineSamples = 120;
// The frame: one silent sample, then the lines.
constexpr int FrameSamples = LinesPerFrame * LineSamples + 1;  // 3841
// With line sync on, the first samples of every line carry the sync tone.
constexpr int SyncPulseSamples = 4;

// The tones, in Hz at the signal rate; a receiver running at another rate
// hears them scaled by its rate over the signal rate.
constexpr double BlackToneHz = 1727.7;
constexpr double WhiteToneHz = 2348.4;
constexpr double SyncToneHz = 2969.0;

// The tone levels the synthesis turns into frequency: black 226 down to
// white 194.0009765625 (from the 5-5-5 words), and the line sync level.
constexpr float BlackLevel = 226.0f;
constexpr float WhiteLevel = 194.0009765625f;
constexpr int StandardSyncPulseLevel = 162;

// The tone's amplitude in 16-bit samples (an eighth of full scale).
constexpr int ToneAmplitude = 4096;

}  // namespace nbtv
