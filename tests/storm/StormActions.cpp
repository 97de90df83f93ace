// The storm's events: every user action of both programs and the sound
// card's side, chosen at random with fixed weights.
#include <QTimer>
#include <algorithm>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "dialog/WindowSystem.h"
#include "tests/doubles/WaveScript.h"
#include "tests/storm/Storm.h"
#include "transmitter/EventHandler.h"
#include "transmitter/Transmitter.h"
#include "transmitter/Window.h"
#include "viewer/Viewer.h"
#include "viewer/Commands.h"
#include "viewer/EventHandler.h"
#include "viewer/PictureDisplay.h"
#include "viewer/ViewerState.h"
#include "viewer/Window.h"

using namespace rx;

namespace storm {

namespace {

using namespace win;

struct Weighted {
    Action action;
    double weight;
};

// Closing actions are rare so that sessions are long; the sample-rate
// commands so that a session reaches the nesting limit after a few
// thousand events.
constexpr Weighted Weights[] = {
    {Action::ViewerClick, 12},      {Action::ViewerScroll, 25},
    {Action::ViewerMenu, 2},        {Action::ViewerSampleRate, 2},
    {Action::ViewerExit, 0.02},     {Action::ViewerCloseBox, 0.02},
    {Action::TransmitterClick, 4},  {Action::TransmitterScroll, 14},
    {Action::TransmitterCloseBox, 0.02},
    {Action::FillInput, 14},        {Action::PlayOutput, 10},
    {Action::Deliver, 16},
};

struct Bar {
    int id;
    int low, high;
    int unitsX;  // where the bar stands, to find its widget
    bool horizontal;
};

struct MenuItem {
    int id;
    const char* text;
};

const char* const ViewerCaption = "32 line, Orvane AM/FM mono viewer, by Kelbrin";
const char* const TransmitterCaption = "Orvane Transmit 32 lines/2.60fps";

constexpr int ViewerButtons[] = {viewer_id::FramePicture,  viewer_id::AdjustInput,
                                 viewer_id::InvertPicture, viewer_id::SyncOn,
                                 viewer_id::LowPass800,    viewer_id::LowPass1200,
                                 viewer_id::LowPass1500,   viewer_id::AmDemodulator,
                                 viewer_id::FmDemodulator};
constexpr Bar ViewerBars[] = {{viewer_id::FrameRateBar, 2400, 16800, 150, false},
                              {viewer_id::SlantBar, 100, 180, 126, false},
                              {viewer_id::BrightnessBar, 0, 512, 175, false},
                              {viewer_id::ContrastBar, 0, 1024, 200, false},
                              {viewer_id::SyncLevelBar, 0, 255, 225, false}};
constexpr MenuItem ViewerMenuItems[] = {{viewer_id::MenuHelp, "&Help"},
                                        {viewer_id::MenuAbout, "&About"},
                                        {viewer_id::MenuAdjustInput, "&Adjust input (Sndvol32)"}};
constexpr MenuItem SampleRateCommands[] = {{viewer_id::MenuIncreaseRate, "&Increase frame rate"},
                                           {viewer_id::MenuDecreaseRate, "&Decrease frame rate"},
                                           {viewer_id::MenuRate312, "3.12 frames/sec"},
                                           {viewer_id::MenuRate260, "2.60 frames/sec"},
                                           {viewer_id::MenuRate234, "2.34 frames/sec"},
                                           {viewer_id::MenuRate208, "2.08 frames/sec"}};
constexpr MenuItem ExitItem{viewer_id::MenuExit, "&Exit"};
constexpr int TransmitterButtons[] = {transmitter_id::AdjustOutput, transmitter_id::LineSync};
constexpr Bar TransmitterBars[] = {{transmitter_id::ScrollX, 1, 605, 9, true},
                                   {transmitter_id::ScrollY, 1, 400, 75, false}};

template <typename T, std::size_t N>
const T& pick(Run& run, const T (&items)[N]) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(run.random)];
}

int between(Run& run, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(run.random);
}

Action chooseAction(Run& run) {
    static std::discrete_distribution<int> choice = [] {
        std::vector<double> weights(static_cast<std::size_t>(Action::Count), 0.0);
        for (const Weighted& w : Weights) weights[static_cast<std::size_t>(w.action)] = w.weight;
        return std::discrete_distribution<int>(weights.begin(), weights.end());
    }();
    return static_cast<Action>(choice(run.random));
}

void scroll(Run& run, HWND window, const Bar& bar, const char* program, const char* caption) {
    if (between(run, 0, 3) == 0) {
        note(run, std::string(program) + " scroll: bar " + std::to_string(bar.id));
        if (!widgetScroll(run, caption, bar.unitsX, bar.horizontal))
            fail(run, "no scroll bar widget for bar " + std::to_string(bar.id));
        return;
    }
    const int code = between(run, SB_LINEUP, SB_ENDSCROLL);
    // A dragged thumb reports positions inside the bar's range; any other
    // 16-bit value stands for whatever else a platform might send.
    const int thumb = between(run, 0, 3) != 0 ? between(run, bar.low, bar.high) : between(run, 0, 0xFFFF);
    note(run, std::string(program) + " scroll: bar " + std::to_string(bar.id) + ", code " +
                  std::to_string(code) + ", thumb " + std::to_string(thumb));
    dialog::sendScroll(window, bar.id, code, thumb);
}

// A menu command, now and then through the menu's own item.
void chooseMenu(Run& run, const MenuItem& item) {
    if (between(run, 0, 2) == 0) {
        note(run, std::string("viewer: menu item ") + item.text);
        if (!widgetMenu(ViewerCaption, item.text)) fail(run, std::string("no menu item ") + item.text);
        return;
    }
    note(run, "viewer: menu command " + std::to_string(item.id));
    dialog::sendMenuCommand(run.viewer, item.id);
}

// The sound card fills the head capture buffer: usually all of it, now and
// then only part (a reset would return it so); usually noise, now and then
// one level throughout.
void fillInput(Run& run) {
    static std::vector<std::uint8_t> bytes;
    const std::vector<const WAVEHDR*> queued = wavescript::queuedInput();
    const int length = queued.empty() ? 0 : static_cast<int>(queued.front()->dwBufferLength);
    const int count = between(run, 0, 7) == 0 ? between(run, 0, length) : length;
    bytes.resize(static_cast<std::size_t>(count));
    if (between(run, 0, 7) == 0) {
        static constexpr int Levels[] = {0, 1, 127, 128, 254, 255};
        std::fill(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(pick(run, Levels)));
    } else {
        for (std::size_t i = 0; i < bytes.size(); i += 8) {
            const std::uint64_t word = run.random();
            for (std::size_t j = i; j < std::min(i + 8, bytes.size()); ++j)
                bytes[j] = static_cast<std::uint8_t>(word >> (8 * (j - i)));
        }
    }
    note(run, "sound card fills " + std::to_string(count) + " of " + std::to_string(length) + " bytes");
    if (wavescript::fillNextInput(bytes)) {
        ++run.framesFilled;
        run.delivered = false;
    }
}

void playOutput(Run& run) {
    note(run, "sound card plays a buffer");
    if (wavescript::completeNextOutput()) {
        ++run.buffersPlayed;
        run.delivered = false;
    }
}

void exitViewer(Run& run, const char* why) {
    note(run, std::string("viewer: Exit") + why);
    chooseMenu(run, ExitItem);
    if (dialog::windowExists(run.viewer)) fail(run, "Exit left the receiver's window open");
}

// A sample-rate command shows the window again and returns only when the
// window is gone; the storm goes on inside the new show.
void sampleRateCommand(Run& run) {
    if (run.depth >= MaxNesting) {
        exitViewer(run, " (nesting limit; the next session starts afresh)");
        return;
    }
    const MenuItem& item = pick(run, SampleRateCommands);
    note(run, "nesting " + std::to_string(run.depth) + ":");
    run.nestedShowDue = true;
    QTimer::singleShot(0, [&run]() {
        if (!run.nestedShowDue) return;
        run.nestedShowDue = false;
        ++run.depth;
        run.deepest = std::max(run.deepest, run.depth);
        run.delivered = false;  // the reset's returned buffers and the new open are on their way
        drive(run);
        if (dialog::windowExists(run.viewer)) dialog::endDialog(run.viewer, 0);
    });
    chooseMenu(run, item);
    if (run.nestedShowDue) {
        run.nestedShowDue = false;
        fail(run, "a sample-rate command did not show the window again");
    } else if (dialog::windowExists(run.viewer)) {
        fail(run, "a sample-rate command returned while its window was open");
    }
}

void runAction(Run& run, Action action) {
    switch (action) {
        case Action::ViewerClick: {
            const int id = pick(run, ViewerButtons);
            note(run, "viewer: click " + std::to_string(id));
            dialog::clickControl(run.viewer, id);
            break;
        }
        case Action::ViewerScroll:
            scroll(run, run.viewer, pick(run, ViewerBars), "viewer", ViewerCaption);
            break;
        case Action::ViewerMenu: chooseMenu(run, pick(run, ViewerMenuItems)); break;
        case Action::ViewerSampleRate: sampleRateCommand(run); break;
        case Action::ViewerExit: exitViewer(run, ""); break;
        case Action::ViewerCloseBox:
            note(run, "viewer: close box");
            dialog::sendCloseBox(run.viewer);
            if (dialog::windowExists(run.viewer)) fail(run, "the close box left the receiver open");
            break;
        case Action::TransmitterClick: {
            const int id = pick(run, TransmitterButtons);
            note(run, "transmitter: click " + std::to_string(id));
            dialog::clickControl(run.transmitter, id);
            break;
        }
        case Action::TransmitterScroll:
            scroll(run, run.transmitter, pick(run, TransmitterBars), "transmitter", TransmitterCaption);
            break;
        case Action::TransmitterCloseBox:
            note(run, "transmitter: close box");
            dialog::sendCloseBox(run.transmitter);
            if (dialog::windowExists(run.transmitter)) fail(run, "the close box left the transmitter open");
            break;
        case Action::FillInput: fillInput(run); break;
        case Action::PlayOutput: playOutput(run); break;
        case Action::Deliver:
            note(run, "deliver pending notifications");
            dialog::processPendingEvents();
            run.delivered = true;
            break;
        case Action::Count: break;
    }
}

bool closes(Action action) {
    return action == Action::ViewerSampleRate || action == Action::ViewerExit ||
           action == Action::ViewerCloseBox || action == Action::TransmitterCloseBox;
}

}  // namespace

const char* actionName(Action action) {
    switch (action) {
        case Action::ViewerClick: return "viewer click";
        case Action::ViewerScroll: return "viewer scroll";
        case Action::ViewerMenu: return "viewer help/about/adjust";
        case Action::ViewerSampleRate: return "viewer sample-rate command";
        case Action::ViewerExit: return "viewer exit";
        case Action::ViewerCloseBox: return "viewer close box";
        case Action::TransmitterClick: return "transmitter click";
        case Action::TransmitterScroll: return "transmitter scroll";
        case Action::TransmitterCloseBox: return "transmitter close box";
        case Action::FillInput: return "capture buffer filled";
        case Action::PlayOutput: return "output buffer played";
        case Action::Deliver: return "notifications delivered";
        case Action::Count: break;
    }
    return "?";
}

void runOneEvent(Run& run) {
    const Action action = chooseAction(run);
    ++run.counts[static_cast<std::size_t>(action)];
    runAction(run, action);
    if (!run.failure.empty() || closes(action)) return;
    if (!dialog::windowExists(run.viewer) || !dialog::windowExists(run.transmitter))
        fail(run, std::string("a window closed on: ") + actionName(action));
}

}  // namespace storm
