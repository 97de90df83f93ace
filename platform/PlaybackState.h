#pragma once
// What the sound output tells beyond the platform's wave-audio calls: that
// it has failed for good, and how long the sound it holds still takes to
// play (so that a radio is let go only once the last sample is out).
#include "platform/WaveAudio.h"

namespace platform {

// Posted to the output's window when the open output stops for good (the
// sound server went away, the stream was killed); first parameter the
// device handle. Its queued buffers will not come back by themselves; it
// is still reset and closed as usual.
constexpr win::UINT WM_PLAYBACKFAILED = win::WM_USER + 0x2230;

// Milliseconds until the samples the output has already taken have been
// played out of the sound card: after waveOutReset, what the sound server
// had passed on to the card before the reset. 0 for a closed device or
// when the output cannot tell.
int playbackDelayMs(win::HWAVEOUT device);

}  // namespace platform
