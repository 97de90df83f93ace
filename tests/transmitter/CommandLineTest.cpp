// The transmitter's command line and the text forms of its choices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transmitter/CommandLine.h"

namespace {

struct Outcome {
    bool run = false;
    int exitCode = -1;
    std::string out, err;
    StationCommandLine given;
};

Outcome read(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "transmitter");
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    Outcome o;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    o.run = readCommandLine(static_cast<int>(argv.size()), argv.data(), o.given, o.exitCode);
    o.out = testing::internal::GetCapturedStdout();
    o.err = testing::internal::GetCapturedStderr();
    return o;
}

}  // namespace

TEST(TransmitterCommandLine, NoArgumentsChangeNothing) {
    const Outcome o = read({});
    EXPECT_TRUE(o.run);
    EXPECT_FALSE(o.given.source || o.given.callsign || o.given.pushToTalk || o.given.region ||
                 o.given.framesPerPicture || o.given.pushToTalkLeadMs);
    EXPECT_FALSE(o.given.noTransmit);
    EXPECT_FALSE(o.given.noSettings);
    EXPECT_EQ(o.out + o.err, "");
}

TEST(TransmitterCommandLine, EveryOptionIsRead) {
    const Outcome o = read({"--source", "folder:/srv/pics", "--frames-per-picture=4", "--callsign", "G4ABC",
                            "--no-transmit", "--ptt", "rig:1035:/dev/ttyUSB0:38400", "--ptt-lead", "250",
                            "--region", "-40,310", "--no-settings"});
    ASSERT_TRUE(o.run) << o.err;
    EXPECT_EQ(o.given.source->kind, SourceKind::Folder);
    EXPECT_EQ(o.given.source->path, "/srv/pics");
    EXPECT_EQ(*o.given.framesPerPicture, 4);
    EXPECT_EQ(*o.given.callsign, "G4ABC");
    EXPECT_TRUE(o.given.noTransmit);
    EXPECT_EQ(o.given.pushToTalk->kind, core::PushToTalkKind::Rig);
    EXPECT_EQ(o.given.pushToTalk->model, 1035);
    EXPECT_EQ(o.given.pushToTalk->device, "/dev/ttyUSB0");
    EXPECT_EQ(o.given.pushToTalk->baud, 38400);
    EXPECT_EQ(*o.given.pushToTalkLeadMs, 250);
    EXPECT_EQ(*o.given.region, std::make_pair(-40, 310));
    EXPECT_TRUE(o.given.noSettings);
}

TEST(TransmitterCommandLine, HelpAndVersionEndTheProgramWell) {
    const Outcome help = read({"--help"});
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--source", "--frames-per-picture", "--callsign", "--no-transmit", "--ptt",
                               "--region", "--no-settings", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const Outcome version = read({"--version"});
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("transmitter ") + NBTV_VERSION + "\n");
}

TEST(TransmitterCommandLine, ABadOptionIsOneLineAndExitTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},         {"picture.png"},           {"--source", "film:x"},  {"--source", "picture:"},
        {"--source"},        {"--frames-per-picture", "0"}, {"--callsign", "G4 ABC"}, {"--callsign", "ABCDEFGHIJKLM"},
        {"--ptt", "rig:x"},  {"--ptt", "rigctld:host:99999"},  {"--ptt", "rts:"},   {"--ptt-lead", "-5"},
        {"--region", "12"},  {"--region", "1,2,3"},     {"--no-transmit=yes"},
    };
    for (const auto& arguments : bad) {
        const Outcome o = read(arguments);
        EXPECT_FALSE(o.run) << arguments[0];
        EXPECT_EQ(o.exitCode, 2) << arguments[0];
        EXPECT_EQ(o.out, "");
        ASSERT_FALSE(o.err.empty()) << arguments[0];
        EXPECT_EQ(o.err.rfind("transmitter: ", 0), 0u) << o.err;
        EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
    }
}

TEST(StationTexts, PushToTalkFormsReadAndWriteBack) {
    const std::vector<std::pair<std::string, std::string>> forms = {
        {"none", "none"},
        {"rigctld", "rigctld:localhost:4532"},
        {"rigctld:shack-pi", "rigctld:shack-pi:4532"},
        {"rigctld:192.168.1.5:4533", "rigctld:192.168.1.5:4533"},
        {"rigctld:[::1]:4600", "rigctld:[::1]:4600"},
        {"rig:3073:/dev/ttyUSB0", "rig:3073:/dev/ttyUSB0"},
        {"rig:1035:/dev/serial/by-id/usb-FTDI:4800", "rig:1035:/dev/serial/by-id/usb-FTDI:4800"},
        {"rts:/dev/ttyS0", "rts:/dev/ttyS0"},
        {"dtr:/dev/ttyACM1", "dtr:/dev/ttyACM1"},
    };
    for (const auto& [text, written] : forms) {
        core::PushToTalkChoice choice;
        std::string errorText;
        ASSERT_TRUE(readPushToTalk(text, choice, errorText)) << text << ": " << errorText;
        EXPECT_EQ(pushToTalkText(choice), written);
        core::PushToTalkChoice again;
        ASSERT_TRUE(readPushToTalk(written, again, errorText));
        EXPECT_EQ(pushToTalkText(again), written);
    }
    core::PushToTalkChoice v6;
    std::string errorText;
    ASSERT_TRUE(readPushToTalk("rigctld:[::1]:4600", v6, errorText));
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, 4600);
}

TEST(StationTexts, SourcesAndRegionsReadAndWriteBack) {
    for (const std::string text : {"screen", "camera", "camera:/dev/video2", "picture:/home/me/a b.png",
                                   "folder:relative/dir"}) {
        SourceChoice source;
        std::string readError;
        ASSERT_TRUE(readSource(text, source, readError)) << text;
        EXPECT_EQ(sourceText(source), text);
    }
    SourceChoice home;
    std::string errorText;
    const std::string realHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("HOME", "/home/g4abc", 1);
    EXPECT_TRUE(readSource("folder:~/slides", home, errorText));
    setenv("HOME", realHome.c_str(), 1);
    EXPECT_EQ(home.path, "/home/g4abc/slides");
    int x = 0, y = 0;
    ASSERT_TRUE(readRegion("-3,400", x, y, errorText));
    EXPECT_EQ(regionText(x, y), "-3,400");
    EXPECT_FALSE(readRegion("1, 2", x, y, errorText));
    EXPECT_FALSE(readRegion("200000,1", x, y, errorText));
}
