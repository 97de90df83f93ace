// "Help > Operating guide": the guide from the source tree in a window of
// its own, or a box naming every place looked in.
#include <gtest/gtest.h>

#include "dialog/DocumentWindow.h"
#include "dialog/MenuReadBack.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/OperatingGuide.h"

using namespace viewer_id;

TEST(OperatingGuide, HelpMenuOpensTheGuideWithItsSections) {
    withViewer([](win::HWND w) {
        EXPECT_EQ(dialog::menuItemText(w, MenuOperatingGuide), "&Operating guide");
        // The specified items keep their places before it.
        EXPECT_EQ(dialog::menuItemText(w, MenuHelp), "&Help");
        EXPECT_EQ(dialog::menuItemText(w, MenuAbout), "&About");
        dialog::triggerMenuItem(w, MenuOperatingGuide);
        EXPECT_TRUE(shownBoxes.empty());
        const std::string shown = dialog::documentShown();
        // From a build tree: the copy staged there as it is installed.
        const std::string tail = "/share/doc/nbtv/operating-guide.md";
        ASSERT_GT(shown.size(), tail.size());
        EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
        const std::string text = dialog::documentText();
        for (const char* heading : {"Choosing the radio's sound card", "Receiving", "Automatic framing",
                                    "Screen capture: X11 and Wayland"})
            EXPECT_NE(text.find(heading), std::string::npos) << heading;
        // Rendered, not shown as source.
        EXPECT_EQ(text.find("## Receiving"), std::string::npos);
        // A second choice keeps the one window.
        dialog::triggerMenuItem(w, MenuOperatingGuide);
        EXPECT_EQ(dialog::documentShown(), shown);
        dialog::closeDocument();
        EXPECT_EQ(dialog::documentShown(), "");
    });
}

TEST(OperatingGuide, MissingGuideSaysWhereItLooked) {
    withViewer([](win::HWND) {
        platform::GuideSearch none;
        none.looked = {"/opt/nbtv/share/doc/nbtv", "/src/nbtv/docs"};
        showOperatingGuide(none);
        ASSERT_EQ(shownBoxes.size(), 1u);
        EXPECT_EQ(shownBoxes[0].caption, "Operating guide");
        EXPECT_EQ(shownBoxes[0].text,
                  "The operating guide (operating-guide.md) was not found.\r\nLooked in:\r\n"
                  "/opt/nbtv/share/doc/nbtv\r\n/src/nbtv/docs");
        EXPECT_EQ(dialog::documentShown(), "");
    });
}
