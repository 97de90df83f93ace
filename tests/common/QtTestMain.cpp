// Test main for everything that needs the toolkit: starts it (offscreen in
// the test environment) before running the tests.
#include <gtest/gtest.h>

#include "dialog/DialogLayer.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    dialog::startToolkit(argc, argv);
    const int result = RUN_ALL_TESTS();
    dialog::stopToolkit();
    return result;
}
