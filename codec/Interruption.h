#pragma once
// Ctrl+C (and SIGTERM, SIGHUP) during a decode: a live stream has no
// other end, so the run ends as at the end of its input, with everything
// decoded so far written, instead of dying with its outputs half made.
#include <csignal>

namespace codec {

// While one exists those signals are noted instead of ending the process,
// and a read waiting for input returns at once; the handling before it is
// restored when it goes.
class InterruptionCatch {
public:
    InterruptionCatch();
    ~InterruptionCatch();
    InterruptionCatch(const InterruptionCatch&) = delete;
    InterruptionCatch& operator=(const InterruptionCatch&) = delete;

private:
    struct sigaction previous_[3];
};

// The signal that arrived while caught, or 0.
int interruption();

}  // namespace codec
