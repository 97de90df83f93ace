// Started programs are reaped without waiting, and the volume control is
// chosen by what is installed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/ProcessStart.h"

namespace fs = std::filesystem;

namespace {

// The process is gone (reaped), not merely ended (a zombie).
bool reaped(std::int64_t pid) {
    for (int i = 0; i < 200; ++i) {
        if (!fs::exists("/proc/" + std::to_string(pid))) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void fakeProgram(const fs::path& folder, const std::string& name) {
    std::ofstream(folder / name) << "#!/bin/sh\n";
    fs::permissions(folder / name, fs::perms::owner_all);
}

}  // namespace

TEST(ProcessStart, DetachedChildrenAreReapedWhenTheyEnd) {
    const std::int64_t quick = platform::startProcess("true", false);
    const std::int64_t slow = platform::startProcess("sleep 0.3", false);
    ASSERT_GT(quick, 0);
    ASSERT_GT(slow, 0);
    EXPECT_TRUE(reaped(quick));
    EXPECT_TRUE(reaped(slow));
    EXPECT_EQ(platform::startProcess("no-such-program-here", false), 0);
}

TEST(ProcessStart, VolumeControlOpensOnThePageThatMatters) {
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath != nullptr ? oldPath : "";
    const fs::path bin = fs::temp_directory_path() / ("nbtv-path-" + std::to_string(::getpid()));
    fs::remove_all(bin);
    fs::create_directories(bin);
    setenv("PATH", bin.c_str(), 1);
    using platform::VolumePage;
    EXPECT_EQ(platform::volumeControlCommand(VolumePage::Recording), "");  // nothing to start
    fakeProgram(bin, "x-terminal-emulator");
    EXPECT_EQ(platform::volumeControlCommand(VolumePage::Recording), "");  // no alsamixer
    fakeProgram(bin, "alsamixer");
    EXPECT_EQ(platform::volumeControlCommand(VolumePage::Recording), "x-terminal-emulator -e alsamixer");
    fakeProgram(bin, "pwvucontrol");
    EXPECT_EQ(platform::volumeControlCommand(VolumePage::Playback), "pwvucontrol");
    fakeProgram(bin, "pavucontrol");
    EXPECT_EQ(platform::volumeControlCommand(VolumePage::Recording), "pavucontrol --tab=2");
    EXPECT_EQ(platform::volumeControlCommand(VolumePage::Playback), "pavucontrol --tab=1");
    setenv("PATH", saved.c_str(), 1);
    fs::remove_all(bin);
}
