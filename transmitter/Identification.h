#pragma once
// Station identification: with a callsign set, every picture sent carries
// it in white on a black band along its top, and every 10 minutes on
// the air (and at the first frames sent) three whole frames show the
// callsign alone, large.
#include <string>

#include "core/ScreenPicture.h"

struct IdentificationState {
    bool identified = false;        // an identification has been sent
    long long samplesSinceId = 0;   // samples sent since it began
    int framesLeft = 0;             // identification frames still to send
    std::string drawnCallsign;      // the callsign drawn into these two:
    tx::ScreenPicture band;         // the band, in the rows it takes
    tx::ScreenPicture frame;        // the identification frame
};

// Marks the picture with the callsign: the band, or the identification
// frame in its place when one is due. `onAir`: the picture is sent, and
// counts towards the next identification.
void markIdentification(tx::ScreenPicture& picture, bool onAir);
// Forgets when the last identification went out (a new callsign).
void restartIdentification();
