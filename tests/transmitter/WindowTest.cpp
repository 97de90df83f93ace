// The transmitter's window, its start values and its region scroll bars.
#include <gtest/gtest.h>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "dialog/WindowSystem.h"
#include "tests/common/ModalRun.h"
#include "tests/common/TransmitterRun.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterState.h"

using namespace tx;

using namespace win;
using namespace transmitter_id;

TEST(TransmitterWindow, StartValues) {
    withTransmitter([](HWND w) {
        const TransmitterSettings& s = transmitter.settings;
        EXPECT_EQ(s.regionX, 200);
        EXPECT_EQ(s.regionY, 200);
        EXPECT_EQ(s.lineSync, 1);
        EXPECT_EQ(s.syncPulseLevel, 162);
        EXPECT_EQ(dialog::controlText(w, ValueX), "200");
        EXPECT_EQ(dialog::controlText(w, ValueY), "200");
        EXPECT_EQ(dialog::checkState(w, LineSync), 0);
        int lo, hi;
        dialog::scrollRange(w, ScrollX, lo, hi);
        EXPECT_EQ(lo, 1);
        EXPECT_EQ(hi, 605);
        dialog::scrollRange(w, ScrollY, lo, hi);
        EXPECT_EQ(hi, 400);
        EXPECT_EQ(dialog::scrollPos(w, ScrollY), 200);
        EXPECT_EQ(dialog::controlStyle(w, ScrollY), 0x50010001u);
        int x, y, width, height;
        dialog::windowGeometry(w, x, y, width, height);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
    });
}

TEST(TransmitterWindow, RegionGoesPastTheBarEndsAndBothBoxesAreRewritten) {
    withTransmitter([](HWND w) {
        TransmitterSettings& s = transmitter.settings;
        dialog::sendScroll(w, ScrollX, SB_THUMBTRACK, 1);
        dialog::sendScroll(w, ScrollX, SB_LINELEFT);
        EXPECT_EQ(s.regionX, 0);
        dialog::sendScroll(w, ScrollX, SB_LINELEFT);
        dialog::sendScroll(w, ScrollX, SB_LINELEFT);
        EXPECT_EQ(dialog::controlText(w, ValueX), "-2");
        EXPECT_EQ(dialog::scrollPos(w, ScrollX), 1);
        dialog::sendScroll(w, ScrollY, SB_THUMBTRACK, 395);
        dialog::sendScroll(w, ScrollY, SB_PAGEDOWN);
        EXPECT_EQ(s.regionY, 405);
        EXPECT_EQ(dialog::scrollPos(w, ScrollY), 400);
        // A scroll from one bar writes both boxes from the settings.
        s.regionX = 77;
        dialog::sendScroll(w, ScrollY, SB_ENDSCROLL);
        EXPECT_EQ(dialog::controlText(w, ValueX), "77");
        EXPECT_EQ(dialog::controlText(w, ValueY), "405");
        dialog::sendScroll(w, ScrollX, SB_THUMBPOSITION, 9);
        EXPECT_EQ(s.regionX, 77);
        dialog::sendScroll(w, ScrollX, SB_PAGERIGHT);
        EXPECT_EQ(s.regionX, 87);
    });
}

TEST(TransmitterWindow, LineSyncBoxAndSettingNeverDisagree) {
    withTransmitter([](HWND w) {
        dialog::clickControl(w, LineSync);
        EXPECT_EQ(transmitter.settings.lineSync, -1);
        EXPECT_EQ(dialog::checkState(w, LineSync), 1);
        dialog::clickControl(w, LineSync);
        EXPECT_EQ(transmitter.settings.lineSync, 1);
        EXPECT_EQ(dialog::checkState(w, LineSync), 0);
    });
}
