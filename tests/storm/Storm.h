#pragma once
// The event storm: both programs open in one process on the scripted sound
// backend, driven by a seeded random run of every user action they accept,
// interleaved with filled capture buffers and played output buffers, with
// every invariant checked after every event.
//
// A session opens both windows and runs events until one window closes (the
// receiver's Exit, either close box) or the receiver's nesting of sample-rate
// commands reaches its limit (then the storm chooses Exit instead); the next
// session opens both windows afresh.
#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "core/WindowTypes.h"

namespace storm {

enum class Action {
    ViewerClick,        // any of the receiver's buttons, check boxes and radios
    ViewerScroll,       // any scroll code on any of its five bars
    ViewerMenu,         // help, about, adjust input
    ViewerSampleRate,   // the six sample-rate commands: each nests a modal loop
    ViewerExit,         // "&Exit"
    ViewerCloseBox,
    TransmitterClick,   // line sync, adjust output
    TransmitterScroll,  // any scroll code on either region bar
    TransmitterCloseBox,
    FillInput,          // the sound card fills the head capture buffer
    PlayOutput,         // the sound card finishes the head output buffer
    Deliver,            // pending notifications reach the windows
    Count
};

const char* actionName(Action action);

// Sample-rate commands in force at once in one session.
constexpr int MaxNesting = 30;

struct Run {
    std::mt19937_64 random;
    long long remaining = 0;  // events still to run
    long long survived = 0;   // events run with every invariant holding
    long long sessions = 0;
    int depth = 0;            // the receiver's modal shows now running
    int deepest = 0;
    bool delivered = true;    // no notification has been caused since the last delivery
    win::HWND viewer = nullptr;
    win::HWND transmitter = nullptr;
    bool nestedShowDue = false;  // a sample-rate command is about to show the window again

    std::array<long long, static_cast<int>(Action::Count)> counts{};
    long long framesFilled = 0;   // capture buffers the sound card returned
    long long buffersPlayed = 0;  // output buffers the sound card returned

    // The last events, newest last, for the report of a broken invariant.
    std::array<std::string, 12> trace;
    long long traced = 0;
    std::string failure;  // the first broken invariant; empty while all hold
};

// Runs sessions until the run's events are used up or an invariant breaks.
void runStorm(Run& run);

// Runs events inside the receiver's innermost modal loop until the session
// or the run ends.
void drive(Run& run);
// Runs one random event of the current session and checks that the windows
// it should leave open are open and those it should close are gone.
void runOneEvent(Run& run);

// Every invariant of the open windows; empty when all hold. While nothing
// waits to be delivered it also checks that capture and playback run on.
std::string checkInvariants(const Run& run);

// The frame-rate readout shows sampleRate / frameSamples. It may also show
// a frame length past 16800 that a control set and the capture preamble of
// the next event cut back, until the next scroll action rewrites it.
bool frameRateReadoutMatches(const std::string& text, int sampleRate, int frameSamples);

// The same actions through the toolkit's own widgets, as the mouse and the
// keyboard reach them: a slider action or a thumb drag on the bar at this
// dialog-unit x of the window with this caption, or a menu item by its
// text. False when the widget is not there.
bool widgetScroll(Run& run, const char* caption, int unitsX, bool horizontal);
bool widgetMenu(const char* caption, const char* itemText);

// Records the first broken invariant with the events that led to it.
void fail(Run& run, const std::string& what);
// Keeps an event's description for that record.
void note(Run& run, std::string event);
std::string recentEvents(const Run& run);

}  // namespace storm
