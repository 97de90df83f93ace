// The names the device menus show: devices of one description told apart
// by what differs between them, as the desktop's volume control does.
#include <gtest/gtest.h>

#include "core/SoundDeviceList.h"

using core::SoundDevice;

namespace {

SoundDevice device(const std::string& description, const std::string& port = "", const std::string& card = "",
                   const std::string& name = "") {
    SoundDevice d;
    d.name = name.empty() ? description : name;
    d.description = description;
    d.port = port;
    d.card = card;
    return d;
}

}  // namespace

TEST(DeviceLabels, DistinctNamesStayAsTheDesktopShowsThem) {
    EXPECT_EQ(core::deviceLabels({device("Radio", "Line In", "USB"), device("Built-in Audio", "Mic", "HDA"),
                                  device("", "", "", "alsa_input.weird")}),
              (std::vector<std::string>{"Radio", "Built-in Audio", "alsa_input.weird"}));
}

TEST(DeviceLabels, SharedNamesAreToldApartByPortThenCardThenNumber) {
    // Two ports of one card.
    EXPECT_EQ(core::deviceLabels({device("Analog Stereo", "Line In", "HDA"), device("Analog Stereo", "Mic", "HDA")}),
              (std::vector<std::string>{"Analog Stereo (Line In)", "Analog Stereo (Mic)"}));
    // Two cards, one port name each; the other devices untouched.
    EXPECT_EQ(core::deviceLabels({device("Analog Stereo", "Line In", "USB Audio CODEC"), device("Monitor of X"),
                                  device("Analog Stereo", "Line In", "Built-in Audio")}),
              (std::vector<std::string>{"Analog Stereo (USB Audio CODEC)", "Monitor of X",
                                        "Analog Stereo (Built-in Audio)"}));
    // Neither port nor card alone, but both together.
    EXPECT_EQ(core::deviceLabels({device("S", "A", "C1"), device("S", "B", "C1"), device("S", "A", "C2")}),
              (std::vector<std::string>{"S (A, C1)", "S (B, C1)", "S (A, C2)"}));
    // Nothing the server says differs (two identical dongles, two null
    // sinks): counted, the first keeping its name.
    EXPECT_EQ(core::deviceLabels({device("Monitor of Null Output"), device("Monitor of Null Output"),
                                  device("Other"), device("Monitor of Null Output")}),
              (std::vector<std::string>{"Monitor of Null Output", "Monitor of Null Output (2)", "Other",
                                        "Monitor of Null Output (3)"}));
}
