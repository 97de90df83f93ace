// The station's choices made in the window come back at the next start;
// nothing else is stored, and --no-settings neither reads nor writes them.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dialog/MenuReadBack.h"
#include "dialog/StationQuestions.h"
#include "platform/StoredSettings.h"
#include "tests/transmitter/StationTestSupport.h"

using namespace station_test;
using namespace transmitter_id;
using namespace win;

namespace {

bool answerCallsign(const std::string&, std::string& text) {
    text = "G4ABC";
    return true;
}
std::string answerFolder(const std::string&, const std::string&) { return "/srv/slides"; }
bool answerRegion(const core::ScreenImage&, int& x, int& y) {
    x = 317;
    y = 45;
    return true;
}
bool answerPushToTalk(core::PushToTalkChoice& choice, int& leadMs) {
    choice.kind = core::PushToTalkKind::Rts;
    choice.device = "/dev/ttyUSB1";
    leadMs = 250;
    return true;
}

class StoredChoices : public StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        // A folder of its own: tests may run side by side.
        platform::setStoredSettingsFolder(folder.path().toStdString());
        platform::setStoredSettingsName("transmitter");
        dialog::setTextHook(answerCallsign);
        dialog::setOpenNameHook(answerFolder);
        dialog::setRegionHook(answerRegion);
        dialog::setPushToTalkHook(answerPushToTalk);
    }
    void TearDown() override {
        dialog::setTextHook(nullptr);
        dialog::setOpenNameHook(nullptr);
        dialog::setRegionHook(nullptr);
        dialog::setPushToTalkHook(nullptr);
        platform::clearStoredSettings();
        StationTest::TearDown();
    }
    QTemporaryDir folder;
};

// Chooses in the window: callsign, identification off, a folder, a region
// on the screen, push-to-talk.
void chooseEverything(HWND w) {
    dialog::sendMenuCommand(w, Callsign);
    dialog::sendMenuCommand(w, Identify);
    dialog::sendMenuCommand(w, SourceFolder);
    dialog::sendMenuCommand(w, ChooseRegion);
    dialog::sendMenuCommand(w, PushToTalk);
}

void expectStartValues(HWND w) {
    EXPECT_EQ(transmitter.settings.regionX, 200);
    EXPECT_EQ(transmitter.settings.regionY, 200);
    EXPECT_EQ(dialog::controlText(w, ValueX), "200");
    EXPECT_EQ(dialog::scrollPos(w, ScrollY), 200);
    EXPECT_EQ(transmitter.station.callsign, "");
    EXPECT_TRUE(transmitter.station.identify);
    EXPECT_EQ(transmitter.station.source.kind, SourceKind::Screen);
    EXPECT_EQ(transmitter.station.pushToTalk.kind, core::PushToTalkKind::None);
    EXPECT_TRUE(transmitter.sending.wanted);
    EXPECT_TRUE(dialog::menuItemChecked(w, SourceScreen));
}

}  // namespace

TEST_F(StoredChoices, NothingStoredLeavesTheStartValues) {
    withStation({}, [](HWND w) { expectStartValues(w); });
}

TEST_F(StoredChoices, ChoicesMadeInTheWindowComeBackAtTheNextStart) {
    setRadioReachable(false);
    withStation({}, [](HWND w) {
        chooseEverything(w);
        // Sending is not a stored choice.
        dialog::sendMenuCommand(w, Transmit);
        // The line-sync box and the bars are not either.
        dialog::clickControl(w, LineSync);
    });
    withStation({}, [](HWND w) {
        const StationChoices& station = transmitter.station;
        EXPECT_EQ(station.callsign, "G4ABC");
        EXPECT_FALSE(station.identify);
        EXPECT_FALSE(dialog::menuItemChecked(w, Identify));
        EXPECT_EQ(station.source.kind, SourceKind::Folder);
        EXPECT_EQ(station.source.path, "/srv/slides");
        EXPECT_TRUE(dialog::menuItemChecked(w, SourceFolder));
        EXPECT_EQ(station.pushToTalk.kind, core::PushToTalkKind::Rts);
        EXPECT_EQ(station.pushToTalk.device, "/dev/ttyUSB1");
        EXPECT_EQ(station.pushToTalkLeadMs, 250);
        EXPECT_EQ(transmitter.settings.regionX, 317);
        EXPECT_EQ(transmitter.settings.regionY, 45);
        EXPECT_EQ(dialog::controlText(w, ValueX), "317");
        EXPECT_EQ(dialog::controlText(w, ValueY), "45");
        EXPECT_EQ(dialog::scrollPos(w, ScrollX), 317);
        EXPECT_TRUE(transmitter.sending.wanted);
        EXPECT_EQ(transmitter.settings.lineSync, 1);
    });
}

TEST_F(StoredChoices, NoSettingsNeitherReadsNorWrites) {
    setRadioReachable(false);
    withStation({}, [](HWND w) { dialog::sendMenuCommand(w, Callsign); });
    withStation(unstored(), [](HWND w) {
        expectStartValues(w);
        chooseEverything(w);
    });
    withStation({}, [](HWND) {
        EXPECT_EQ(transmitter.station.callsign, "G4ABC");
        EXPECT_EQ(transmitter.station.source.kind, SourceKind::Screen);
        EXPECT_EQ(transmitter.settings.regionX, 200);
    });
}

TEST_F(StoredChoices, TheCommandLineHoldsForItsRunOnly) {
    withStation({}, [](HWND w) { dialog::sendMenuCommand(w, Callsign); });
    StationCommandLine given;
    given.callsign = "DL1XYZ";
    given.region = std::make_pair(12, 34);
    withStation(given, [](HWND w) {
        EXPECT_EQ(transmitter.station.callsign, "DL1XYZ");
        EXPECT_EQ(dialog::controlText(w, ValueX), "12");
        EXPECT_EQ(dialog::controlText(w, ValueY), "34");
    });
    withStation({}, [](HWND) {
        EXPECT_EQ(transmitter.station.callsign, "G4ABC");
        EXPECT_EQ(transmitter.settings.regionX, 200);
    });
}
