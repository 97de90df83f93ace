// What must hold after every event of the storm: the windows show their
// settings, the settings keep to their values, and capture and playback
// run on with buffers of a length the sound card can fill.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "tests/doubles/WaveScript.h"
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

using win::HWND;

void expectText(std::string& problems, HWND w, int id, double value) {
    const std::string shown = dialog::controlText(w, id);
    const std::string wanted = dialog::numberText(value);
    if (shown != wanted)
        problems += "control " + std::to_string(id) + " shows '" + shown + "', not '" + wanted + "'; ";
}

// A bar's thumb stays inside the range while its setting may go past it.
void expectThumb(std::string& problems, HWND w, int id, int low, int high, int setting) {
    const int position = dialog::scrollPos(w, id);
    if (position != std::clamp(setting, low, high))
        problems += "bar " + std::to_string(id) + " at " + std::to_string(position) + " for setting " +
                    std::to_string(setting) + "; ";
}

void expectCheck(std::string& problems, HWND w, int id, bool checked) {
    if ((dialog::checkState(w, id) != 0) != checked)
        problems += "check mark of " + std::to_string(id) + " is " +
                    (checked ? "off" : "on") + "; ";
}

void expect(std::string& problems, bool holds, const std::string& what) {
    if (!holds) problems += what + "; ";
}

bool isSign(std::int32_t v) { return v == 1 || v == -1; }

std::string viewerProblems(const Run& run) {
    using namespace viewer_id;
    const ReceiverSettings& s = viewer.settings;
    const HWND w = run.viewer;
    std::string problems;

    for (const win::WAVEHDR* header : wavescript::queuedInput())
        expect(problems, header->dwBufferLength >= 1 && header->dwBufferLength <= 16800,
               "a capture buffer queued with length " + std::to_string(header->dwBufferLength));
    if (run.delivered) {
        expect(problems, wavescript::inputRecording(), "capture is not recording");
        expect(problems, wavescript::queuedInput().size() == 2,
               std::to_string(wavescript::queuedInput().size()) + " capture buffers queued, not 2");
    }

    const std::string frameRate = dialog::controlText(w, FrameRateReadout);
    expect(problems, frameRateReadoutMatches(frameRate, s.sampleRate, s.frameSamples),
           "frame rate shows '" + frameRate + "' for " + std::to_string(s.sampleRate) + " / " +
               std::to_string(s.frameSamples));
    expectText(problems, w, SlantReadout, s.lineSamples - 120);
    expectText(problems, w, BrightnessReadout, s.brightness);
    expectText(problems, w, ContrastReadout, s.contrast);
    expectText(problems, w, SyncLevelReadout, s.syncLevel);

    expectThumb(problems, w, FrameRateBar, 2400, 16800, s.frameSamples);
    expectThumb(problems, w, SlantBar, 100, 180, s.lineSamples);
    expectThumb(problems, w, BrightnessBar, 0, 512, s.brightness);
    expectThumb(problems, w, ContrastBar, 0, 1024, s.contrast);
    expectThumb(problems, w, SyncLevelBar, 0, 255, s.syncLevel);

    // The radio marks show the filter and demodulator in force; the sync
    // box and the sync setting change only together.
    expectCheck(problems, w, LowPass800, s.lowPassCutoff == 800);
    expectCheck(problems, w, LowPass1200, s.lowPassCutoff == 1200);
    expectCheck(problems, w, LowPass1500, s.lowPassCutoff == 1500);
    expectCheck(problems, w, AmDemodulator, s.demodMode == DemodAM);
    expectCheck(problems, w, FmDemodulator, s.demodMode == DemodFM);
    expectCheck(problems, w, SyncOn, s.syncOn == 1);

    expect(problems, isSign(s.polarity) && isSign(s.syncOn) && isSign(s.framePicture) && isSign(s.bufferTurn),
           "a two-way setting holds neither +1 nor -1");
    // The slant bar holds the line to 100..180; the sync box moves it one
    // sample either way from there.
    expect(problems, s.lineSamples >= 99 && s.lineSamples <= 181,
           "line length " + std::to_string(s.lineSamples));
    // Frame picture takes at most a line off the bar's lowest frame; a
    // dragged thumb or a control may leave the frame past 16800 (at most a
    // 16-bit thumb position and a line) until the next event cuts it.
    expect(problems, s.frameSamples >= 2400 - 181 && s.frameSamples <= 0xFFFF + 181,
           "frame length " + std::to_string(s.frameSamples));
    return problems;
}

std::string transmitterProblems(const Run& run) {
    using namespace transmitter_id;
    const TransmitterSettings& s = transmitter.settings;
    const HWND w = run.transmitter;
    std::string problems;
    expectText(problems, w, ValueX, s.regionX);
    expectText(problems, w, ValueY, s.regionY);
    expectThumb(problems, w, ScrollX, 1, 605, s.regionX);
    expectThumb(problems, w, ScrollY, 1, 400, s.regionY);
    expectCheck(problems, w, LineSync, s.lineSync == -1);
    expect(problems, isSign(s.lineSync) && s.syncPulseLevel == 162, "line sync settings changed");
    if (run.delivered)
        expect(problems, wavescript::queuedOutput().size() == 2,
               std::to_string(wavescript::queuedOutput().size()) + " output buffers queued, not 2");
    return problems;
}

}  // namespace

std::string checkInvariants(const Run& run) {
    std::string problems;
    if (dialog::windowExists(run.viewer)) problems += viewerProblems(run);
    if (dialog::windowExists(run.transmitter)) problems += transmitterProblems(run);
    return problems;
}

bool frameRateReadoutMatches(const std::string& text, int sampleRate, int frameSamples) {
    if (text == dialog::numberText(static_cast<double>(sampleRate) / frameSamples)) return true;
    if (frameSamples != 16800) return false;
    // Which frame length past 16800 would show this rate?
    double shown = 0.0;
    if (std::from_chars(text.data(), text.data() + text.size(), shown).ec != std::errc{} || !(shown > 0.0))
        return false;
    const double length = sampleRate / shown;
    if (!(length > 16800.0 && length < 1e9)) return false;
    const long long nearest = std::llround(length);
    for (long long candidate = nearest - 1; candidate <= nearest + 1; ++candidate)
        if (candidate > 16800 &&
            text == dialog::numberText(static_cast<double>(sampleRate) / static_cast<double>(candidate)))
            return true;
    return false;
}

}  // namespace storm
