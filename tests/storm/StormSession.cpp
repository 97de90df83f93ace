// Sessions of the storm: both windows shown, the receiver inside the
// transmitter's modal loop, and the events run inside the receiver's
// innermost loop (one more for every sample-rate command in force).
#include <cstdlib>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "tests/doubles/WaveScript.h"
#include "tests/common/ModalRun.h"
#include "tests/storm/Storm.h"
#include "transmitter/EventHandler.h"
#include "transmitter/Transmitter.h"
#include "transmitter/Window.h"
#include "transmitter/TransmitterState.h"
#include "viewer/Viewer.h"
#include "viewer/Commands.h"
#include "viewer/EventHandler.h"
#include "viewer/PictureDisplay.h"
#include "viewer/ViewerState.h"
#include "viewer/Window.h"

using namespace rx;
using namespace tx;

namespace storm {

namespace {

// A real message box runs a loop of its own while it is open, and capture
// and playback go on in it; the storm's box is answered at once after that.
int answerBox(const std::string&, const std::string&, win::UINT) {
    dialog::processPendingEvents();
    return win::IDOK;
}

// Both programs gone: every device they opened, one per sample-rate
// command for the receiver, is closed, and no buffer is left with one.
void checkSessionEnd(Run& run) {
    int inputsOpen = 0, outputsOpen = 0;
    for (const wavescript::WaveCall& call : wavescript::calls()) {
        if (call.result != win::MMSYSERR_NOERROR) continue;
        if (call.name == "waveInOpen") ++inputsOpen;
        if (call.name == "waveInClose") --inputsOpen;
        if (call.name == "waveOutOpen") ++outputsOpen;
        if (call.name == "waveOutClose") --outputsOpen;
    }
    if (inputsOpen != 0 || outputsOpen != 0 || !wavescript::queuedInput().empty() ||
        !wavescript::queuedOutput().empty())
        fail(run, "after the windows closed, " + std::to_string(inputsOpen) + " input and " +
                      std::to_string(outputsOpen) + " output devices are still open");
}

bool sessionOpen(const Run& run) {
    return dialog::windowExists(run.viewer) && dialog::windowExists(run.transmitter);
}

void runSession(Run& run) {
    wavescript::useScriptedBackend(true);
    ++run.sessions;
    transmitter = TransmitterState{};
    transmitter.window = buildTransmitterWindow();
    viewer = ViewerState{};
    viewer.window = buildViewerWindow();
    setReceiverStartValues();
    run.transmitter = transmitter.window;
    run.viewer = viewer.window;
    run.delivered = false;  // both devices' open notices are on their way
    runShown(run.transmitter, transmitterEvent, [&run]() {
        runShown(run.viewer, viewerEvent, [&run]() {
            run.depth = 1;
            drive(run);
        });
    });
    dialog::processPendingEvents();
    run.depth = 0;
    if (run.failure.empty()) checkSessionEnd(run);
}

}  // namespace

void drive(Run& run) {
    while (run.remaining > 0 && run.failure.empty() && sessionOpen(run)) {
        --run.remaining;
        runOneEvent(run);
        if (!run.failure.empty()) return;
        const std::string broken = checkInvariants(run);
        if (!broken.empty()) {
            fail(run, broken);
            return;
        }
        ++run.survived;
    }
}

void runStorm(Run& run) {
    // The volume-control buttons start whatever mixer is on the path; with
    // none there, every start fails quietly as it would on a bare system.
    const char* path = std::getenv("PATH");
    const std::string savedPath = path != nullptr ? path : "";
    ::setenv("PATH", "/nonexistent/nbtv-storm", 1);
    dialog::setMessageBoxHook(answerBox);

    while (run.remaining > 0 && run.failure.empty()) runSession(run);

    dialog::setMessageBoxHook(nullptr);
    if (path != nullptr) ::setenv("PATH", savedPath.c_str(), 1);
    else ::unsetenv("PATH");
    wavescript::useScriptedBackend(false);
}

void fail(Run& run, const std::string& what) {
    if (!run.failure.empty()) return;
    run.failure = "at event " + std::to_string(run.survived + 1) + ": " + what + "\nlast events:\n" +
                  recentEvents(run);
}

void note(Run& run, std::string event) {
    run.trace[static_cast<std::size_t>(run.traced % run.trace.size())] = std::move(event);
    ++run.traced;
}

std::string recentEvents(const Run& run) {
    std::string text;
    const long long size = static_cast<long long>(run.trace.size());
    for (long long i = run.traced > size ? run.traced - size : 0; i < run.traced; ++i)
        text += "  " + run.trace[static_cast<std::size_t>(i % size)] + "\n";
    return text;
}

}  // namespace storm
