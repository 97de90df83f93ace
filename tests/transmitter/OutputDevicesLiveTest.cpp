// The transmitter's choice of sound card against a private PulseAudio
// server with a second null sink ("Radio"): the window's context menu lists
// the sinks, and choosing one moves the running output and the check mark.
// Skipped where no server can be started.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "dialog/DialogLayer.h"
#include "dialog/DialogMenus.h"
#include "dialog/DialogReadBack.h"
#include "dialog/MenuReadBack.h"
#include "platform/SoundDevices.h"
#include "tests/common/ModalRun.h"
#include "tests/common/LiveSteps.h"
#include "tests/platform/PrivatePulseServer.h"
#include "transmitter/EventHandler.h"
#include "transmitter/Transmitter.h"
#include "transmitter/Window.h"
#include "transmitter/TransmitterState.h"

using namespace transmitter_id;

namespace {

using livetest::addTwinSinks;
using livetest::commandOutput;
using livetest::eventually;

int itemCalled(win::HWND w, const std::string& text) {
    for (int id = OutputDeviceFirst; id <= OutputDeviceLast; ++id)
        if (dialog::menuItemText(w, id) == text) return id;
    return 0;
}

// The sink the transmitter's output plays on, by the server's name.
std::string outputSink() {
    std::string input = commandOutput("pactl list short sink-inputs");
    std::size_t tab = input.find('\t');
    if (tab == std::string::npos) return "";
    std::string index = input.substr(tab + 1, input.find('\t', tab + 1) - tab - 1);
    std::string sinks = commandOutput("pactl list short sinks");
    std::size_t at = sinks.find(index + "\t");
    while (at != std::string::npos && at != 0 && sinks[at - 1] != '\n') at = sinks.find(index + "\t", at + 1);
    if (at == std::string::npos) return "";
    std::size_t start = at + index.size() + 1;
    return sinks.substr(start, sinks.find('\t', start) - start);
}

}  // namespace

TEST(OutputDevicesLive, TheContextMenuListsSinksAndMovesTheOutput) {
    wavetest::PrivatePulseServer server;
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";
    ASSERT_FALSE(commandOutput("pactl load-module module-null-sink sink_name=radio rate=10000 "
                               "sink_properties=device.description=Radio").empty());
    setenv("NBTV_SOUND", "pulse", 1);
    transmitter = TransmitterState{};
    transmitter.window = buildTransmitterWindow();
    win::HWND w = transmitter.window;
    runShown(w, transmitterEvent, [w]() {
        EXPECT_TRUE(dialog::contextMenuAt(w, 10, 10));
        ASSERT_TRUE(eventually([w] { return itemCalled(w, "Radio") != 0; }));
        const int radio = itemCalled(w, "Radio");
        ASSERT_TRUE(eventually([w] { return dialog::menuItemChecked(w, OutputDeviceDefault); }));
        EXPECT_EQ(outputSink(), "nbtv");

        dialog::triggerMenuItem(w, radio);
        EXPECT_TRUE(eventually([w, radio] {
            return dialog::menuItemChecked(w, radio) && !dialog::menuItemChecked(w, OutputDeviceDefault);
        }));
        EXPECT_EQ(outputSink(), "radio");
        dialog::triggerMenuItem(w, OutputDeviceDefault);
        EXPECT_TRUE(eventually([w] { return dialog::menuItemChecked(w, OutputDeviceDefault); }));
        EXPECT_EQ(outputSink(), "nbtv");
    });
    platform::watchSoundDevices(false, nullptr);
    unsetenv("NBTV_SOUND");
}

TEST(OutputDevicesLive, TwoSinksOfOneNameCanBeToldApart) {
    wavetest::PrivatePulseServer server;
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";
    ASSERT_TRUE(addTwinSinks());
    setenv("NBTV_SOUND", "pulse", 1);
    transmitter = TransmitterState{};
    transmitter.window = buildTransmitterWindow();
    win::HWND w = transmitter.window;
    runShown(w, transmitterEvent, [w]() {
        ASSERT_TRUE(eventually([w] { return itemCalled(w, "Twin (2)") != 0; }));
        ASSERT_NE(itemCalled(w, "Twin"), 0);
        dialog::triggerMenuItem(w, itemCalled(w, "Twin (2)"));
        EXPECT_TRUE(eventually([w] { return dialog::menuItemChecked(w, itemCalled(w, "Twin (2)")); }));
        EXPECT_EQ(outputSink(), "twin2");
    });
    platform::watchSoundDevices(false, nullptr);
    unsetenv("NBTV_SOUND");
}
