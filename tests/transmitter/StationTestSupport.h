#pragma once
// For tests of the transmitter's station additions: a radio that answers
// push-to-talk as a script says, the transmitter run with a command line,
// and waiting for the push-to-talk thread's news.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "platform/PushToTalk.h"
#include "tests/common/ModalRun.h"
#include "tests/common/ScriptedSound.h"
#include "transmitter/Synthesis.h"
#include "transmitter/EventHandler.h"
#include "transmitter/Transmitter.h"
#include "transmitter/Window.h"
#include "transmitter/TransmitterState.h"

namespace station_test {

using Clock = std::chrono::steady_clock;

// What the radio was told, in order: "open", "key", "unkey", "close", with
// when.
struct RadioEvent {
    std::string what;
    Clock::time_point when;
};

struct ScriptedRadio {
    std::mutex mutex;
    bool reachable = true;
    std::vector<RadioEvent> events;
    bool keyed = false;
};

inline ScriptedRadio& radio() {
    static ScriptedRadio r;
    return r;
}

inline void note(const std::string& what) {
    std::lock_guard<std::mutex> lock(radio().mutex);
    radio().events.push_back({what, Clock::now()});
}

inline bool radioOpen(const core::PushToTalkChoice&, std::string& errorText) {
    {
        std::lock_guard<std::mutex> lock(radio().mutex);
        if (!radio().reachable) {
            errorText = "IO error";
            return false;
        }
    }
    note("open");
    return true;
}

inline bool radioKey(bool keyed, std::string&) {
    {
        std::lock_guard<std::mutex> lock(radio().mutex);
        radio().keyed = keyed;
    }
    note(keyed ? "key" : "unkey");
    return true;
}

inline void radioClose() { note("close"); }

inline const platform::PushToTalkDriver ScriptedDriver{radioOpen, radioKey, radioClose};

inline std::vector<std::string> radioLog() {
    std::lock_guard<std::mutex> lock(radio().mutex);
    std::vector<std::string> names;
    for (const RadioEvent& e : radio().events) names.push_back(e.what);
    return names;
}

inline bool radioKeyed() {
    std::lock_guard<std::mutex> lock(radio().mutex);
    return radio().keyed;
}

inline void setRadioReachable(bool reachable) {
    std::lock_guard<std::mutex> lock(radio().mutex);
    radio().reachable = reachable;
}

// When the radio was last told `what`.
inline Clock::time_point lastEvent(const std::string& what) {
    std::lock_guard<std::mutex> lock(radio().mutex);
    for (auto e = radio().events.rbegin(); e != radio().events.rend(); ++e)
        if (e->what == what) return e->when;
    return {};
}

// Runs the window's events until the condition holds, for at most 5 s.
inline bool eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
        dialog::processPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// Scripted sound and the scripted radio around every test; the stored
// choices start empty.
class StationTest : public ScriptedSoundTest {
protected:
    void SetUp() override {
        ScriptedSoundTest::SetUp();
        {
            std::lock_guard<std::mutex> lock(radio().mutex);
            radio().reachable = true;
            radio().events.clear();
            radio().keyed = false;
        }
        platform::setPushToTalkDriver(&ScriptedDriver);
    }
    void TearDown() override {
        platform::endPushToTalk(0);
        platform::setPushToTalkDriver(nullptr);
        ScriptedSoundTest::TearDown();
    }
};

// A command line that leaves the stored choices alone.
inline StationCommandLine unstored() {
    StationCommandLine given;
    given.noSettings = true;
    return given;
}

// The transmitter started with that command line; the steps run while its
// window is shown.
inline void withStation(const StationCommandLine& given, const std::function<void(win::HWND)>& steps) {
    transmitter = TransmitterState{};
    transmitter.commandLine = given;
    transmitter.window = buildTransmitterWindow();
    win::HWND w = transmitter.window;
    runShown(w, transmitterEvent, [w, steps]() { steps(w); });
}

inline std::string previewNote(win::HWND w) { return dialog::pictureNote(w, 15, 15); }

// The left channel of one frame as the transmitter sends the picture.
inline tx::FrameBuffer frameOf(const tx::ScreenPicture& picture, bool lineSync = false) {
    tx::TransmitterSettings settings{200, 200, lineSync ? -1 : 1, tx::StandardSyncPulseLevel};
    tx::FrameBuffer frame{};
    tx::synthesizeFrame(picture, settings, frame);
    return frame;
}

// The played samples from frame `index` on hold the frame.
inline bool playedFrameIs(const std::vector<std::int16_t>& played, std::size_t index,
                          const tx::FrameBuffer& frame) {
    const std::size_t at = index * tx::FrameSamples * 2;
    return played.size() >= at + tx::FrameSamples * 2 &&
           std::memcmp(&played[at], &frame, sizeof frame) == 0;
}

}  // namespace station_test
