// The viewer's choice of sound card against a private PulseAudio server
// with a second null sink ("Radio"): the Input menu lists the sources by
// their names, choosing one moves the running capture there and moves the
// check mark with it, and "Default" brings it back. Skipped where no server
// can be started.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "dialog/DialogMenus.h"
#include "dialog/DialogReadBack.h"
#include "dialog/MenuReadBack.h"
#include "platform/SoundDevices.h"
#include "tests/common/LiveSteps.h"
#include "tests/platform/PrivatePulseServer.h"
#include "tests/viewer/ViewerTestSupport.h"

using namespace viewer_id;

namespace {

using livetest::addTwinSinks;
using livetest::commandOutput;
using livetest::eventually;

int itemCalled(win::HWND w, const std::string& text) {
    for (int id = InputDeviceFirst; id <= InputDeviceLast; ++id)
        if (dialog::menuItemText(w, id) == text) return id;
    return 0;
}

// The source the viewer's capture records from, as the server says.
std::string captureSource() {
    std::string line = commandOutput("pactl list short source-outputs");
    std::size_t tab = line.find('\t');
    return tab == std::string::npos ? "" : line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
}
std::string sourceIndex(const std::string& name) {
    std::string list = commandOutput("pactl list short sources");
    std::size_t at = list.find("\t" + name + "\t");
    if (at == std::string::npos) return "?";
    std::size_t start = list.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return list.substr(start, at - start);
}

}  // namespace

TEST(InputDevicesLive, TheInputMenuListsSourcesAndMovesTheCapture) {
    wavetest::PrivatePulseServer server;
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";
    std::string module = commandOutput("pactl load-module module-null-sink sink_name=radio "
                                       "rate=10000 sink_properties=device.description=Radio");
    ASSERT_FALSE(module.empty());
    setenv("NBTV_SOUND", "pulse", 1);
    withViewer([&module](win::HWND w) {
        ASSERT_TRUE(eventually([w] { return itemCalled(w, "Monitor of Radio") != 0; }));
        const int radio = itemCalled(w, "Monitor of Radio");
        EXPECT_EQ(dialog::menuItemText(w, InputDeviceDefault), "Default");
        ASSERT_TRUE(eventually([w] { return dialog::menuItemChecked(w, InputDeviceDefault); }));
        EXPECT_FALSE(dialog::menuItemChecked(w, radio));

        dialog::triggerMenuItem(w, radio);
        EXPECT_TRUE(eventually([w, radio] {
            return dialog::menuItemChecked(w, radio) && !dialog::menuItemChecked(w, InputDeviceDefault);
        }));
        EXPECT_EQ(captureSource(), sourceIndex("radio.monitor"));

        dialog::triggerMenuItem(w, InputDeviceDefault);
        EXPECT_TRUE(eventually([w] { return dialog::menuItemChecked(w, InputDeviceDefault); }));
        EXPECT_EQ(captureSource(), sourceIndex("nbtv.monitor"));

        // Unplugged: its item goes, with no window open over the menu.
        commandOutput("pactl unload-module " + module);
        EXPECT_TRUE(eventually([w] { return itemCalled(w, "Monitor of Radio") == 0; }));
    });
    platform::watchSoundDevices(true, nullptr);
    unsetenv("NBTV_SOUND");
}

TEST(InputDevicesLive, TwoSourcesOfOneNameCanBeToldApart) {
    wavetest::PrivatePulseServer server;
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";
    ASSERT_TRUE(addTwinSinks());
    setenv("NBTV_SOUND", "pulse", 1);
    withViewer([](win::HWND w) {
        ASSERT_TRUE(eventually([w] { return itemCalled(w, "Monitor of Twin (2)") != 0; }));
        ASSERT_NE(itemCalled(w, "Monitor of Twin"), 0);
        dialog::triggerMenuItem(w, itemCalled(w, "Monitor of Twin (2)"));
        EXPECT_TRUE(eventually([w] { return dialog::menuItemChecked(w, itemCalled(w, "Monitor of Twin (2)")); }));
        EXPECT_EQ(captureSource(), sourceIndex("twin2.monitor"));
        EXPECT_FALSE(dialog::menuItemChecked(w, itemCalled(w, "Monitor of Twin")));
    });
    platform::watchSoundDevices(true, nullptr);
    unsetenv("NBTV_SOUND");
}
