// Test main for everything that needs the toolkit: starts it (offscreen in
// the test environment) before running the tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "dialog/DialogLayer.h"

int main(int argc, char** argv) {
    // The transmitter grabs the screen itself unless a test says otherwise
    // (the portal tests do), whatever session the tests run from.
    setenv("NBTV_SCREEN_CAPTURE", "x11", 0);
    // Choices a program remembers go to a folder of this run's own, never
    // to the user's, unless the test's caller chose one (the portal tests).
    char configHome[] = "/tmp/nbtv-test-config-XXXXXX";
    const bool ownConfigHome = std::getenv("XDG_CONFIG_HOME") == nullptr && mkdtemp(configHome) != nullptr;
    if (ownConfigHome) setenv("XDG_CONFIG_HOME", configHome, 1);
    ::testing::InitGoogleTest(&argc, argv);
    dialog::startToolkit(argc, argv);
    const int result = RUN_ALL_TESTS();
    dialog::stopToolkit();
    std::error_code ignored;
    if (ownConfigHome) std::filesystem::remove_all(configHome, ignored);
    return result;
}
