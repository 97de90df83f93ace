// Sending on and off, and keying the radio: what reaches the sound card
// and the radio, and when.
#include <gtest/gtest.h>

#include "tests/transmitter/StationTestSupport.h"
#include "transmitter/TransmitterValues.h"

using namespace station_test;
using namespace transmitter_id;
using namespace win;
using Names = std::vector<std::string>;

namespace {

core::PushToTalkChoice rigctld() {
    core::PushToTalkChoice choice;
    choice.kind = core::PushToTalkKind::Rigctld;
    return choice;
}

StationCommandLine keyed(bool transmit = true) {
    StationCommandLine given = unstored();
    given.pushToTalk = rigctld();
    given.noTransmit = !transmit;
    return given;
}

bool playsAFrame() {
    const bool played = wavescript::completeNextOutput();
    dialog::processPendingEvents();
    return played;
}

}  // namespace

using Sending = StationTest;

TEST_F(Sending, OffFromTheStartHoldsTheOutputUntilTurnedOn) {
    StationCommandLine given = unstored();
    given.noTransmit = true;
    withStation(given, [](HWND w) {
        // Open and held; nothing queued, nothing played, not even silence.
        EXPECT_EQ(callNames(wavescript::calls()),
                  (Names{"waveOutOpen", "waveOutPause", "waveOutPrepareHeader", "waveOutPrepareHeader"}));
        EXPECT_TRUE(wavescript::outputPaused());
        EXPECT_FALSE(wavescript::streamOutput(4000));
        EXPECT_EQ(previewNote(w), "Not sending");
        EXPECT_FALSE(dialog::menuItemChecked(w, Transmit));

        dialog::sendMenuCommand(w, Transmit);
        EXPECT_TRUE(dialog::menuItemChecked(w, Transmit));
        EXPECT_FALSE(wavescript::outputPaused());
        EXPECT_EQ(wavescript::queuedOutput().size(), 2u);
        EXPECT_EQ(previewNote(w), "");
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(playsAFrame());
        EXPECT_EQ(wavescript::playedSamples().size(), 3u * tx::FrameSamples * 2);
    });
}

TEST_F(Sending, OffStopsAtOnceAndOnSendsFreshFramesInStrictTurn) {
    withStation(unstored(), [](HWND w) {
        ASSERT_TRUE(playsAFrame());
        dialog::sendMenuCommand(w, Transmit);
        EXPECT_TRUE(wavescript::outputPaused());
        EXPECT_TRUE(wavescript::queuedOutput().empty());
        const std::size_t played = wavescript::playedSamples().size();
        // Quickly on again: the off's returned buffers are news from before
        // and must not upset the turn of the fresh ones.
        dialog::sendMenuCommand(w, Transmit);
        const std::vector<const WAVEHDR*> queued = wavescript::queuedOutput();
        ASSERT_EQ(queued.size(), 2u);
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(playsAFrame()) << i;
            ASSERT_EQ(wavescript::queuedOutput().size(), 2u) << i;
            EXPECT_EQ(wavescript::queuedOutput().back(), queued[static_cast<std::size_t>(i % 2)]) << i;
        }
        EXPECT_EQ(wavescript::playedSamples().size(), played + 4u * tx::FrameSamples * 2);
    });
}

TEST_F(Sending, TheRadioIsKeyedBeforeTheFirstSampleAndLetGoAfterTheLast) {
    wavescript::setPlaybackDelay(60);
    Clock::time_point off{};
    withStation(keyed(), [&off](HWND w) {
        // Frames wait, held, until the radio has been keyed and the lead
        // has passed.
        EXPECT_TRUE(wavescript::outputPaused());
        EXPECT_EQ(wavescript::queuedOutput().size(), 2u);
        ASSERT_TRUE(eventually([] { return !wavescript::outputPaused(); }));
        EXPECT_EQ(radioLog(), (Names{"open", "key"}));
        EXPECT_GE(Clock::now() - lastEvent("key"), std::chrono::milliseconds(tx::StartPushToTalkLeadMs));
        EXPECT_TRUE(playsAFrame());

        off = Clock::now();
        dialog::sendMenuCommand(w, Transmit);
        EXPECT_TRUE(wavescript::queuedOutput().empty());
        ASSERT_TRUE(eventually([] { return !radioKeyed(); }));
        // Not before the sound the card held (60 ms) has played.
        EXPECT_GE(lastEvent("unkey") - off, std::chrono::milliseconds(60));
        EXPECT_LT(lastEvent("unkey") - off, std::chrono::milliseconds(500));

        dialog::sendMenuCommand(w, Transmit);
        ASSERT_TRUE(eventually([] { return !wavescript::outputPaused(); }));
        EXPECT_TRUE(radioKeyed());
    });
    // Closing the window lets the radio go and closes the connection.
    EXPECT_FALSE(radioKeyed());
    EXPECT_EQ(radioLog().back(), "close");
}

TEST_F(Sending, AnUnreachableRadioIsNamedAndNothingIsSentUntilItAnswers) {
    setRadioReachable(false);
    withStation(keyed(), [](HWND w) {
        ASSERT_TRUE(eventually([w] { return previewNote(w).find("No push-to-talk") != std::string::npos; }));
        EXPECT_EQ(previewNote(w), "No push-to-talk\nrigctld at localhost:4532");
        // Never sent unkeyed: the held frames are dropped.
        EXPECT_TRUE(wavescript::outputPaused());
        EXPECT_TRUE(wavescript::queuedOutput().empty());
        EXPECT_TRUE(wavescript::playedSamples().empty());
        EXPECT_TRUE(radioLog().empty());

        // Tried again while sending is on: once the radio answers, frames go.
        setRadioReachable(true);
        transmitterEvent(w, WM_TIMER, PushToTalkRetryTimer, 0);
        ASSERT_TRUE(eventually([] { return !wavescript::outputPaused(); }));
        EXPECT_EQ(radioLog(), (Names{"open", "key"}));
        EXPECT_EQ(previewNote(w), "");
        EXPECT_TRUE(playsAFrame());
    });
}

TEST_F(Sending, AFailedSoundOutputLetsTheRadioGoAtOnce) {
    withStation(keyed(), [](HWND w) {
        ASSERT_TRUE(eventually([] { return radioKeyed(); }));
        ASSERT_TRUE(wavescript::failOutput());
        ASSERT_TRUE(eventually([] { return !radioKeyed(); }));
        EXPECT_EQ(previewNote(w), "No sound output");
        // Nothing more is built or queued.
        const std::size_t calls = wavescript::calls().size();
        transmitterEvent(w, MM_WOM_DONE, 0, 0);
        EXPECT_EQ(wavescript::calls().size(), calls);
    });
}

TEST_F(Sending, WithoutASoundOutputTheRadioIsNeverKeyed) {
    wavescript::setOutputDevice(false);
    withStation(keyed(), [](HWND w) {
        dialog::processPendingEvents();
        EXPECT_EQ(previewNote(w), "No sound output");
        dialog::sendMenuCommand(w, Transmit);
        dialog::sendMenuCommand(w, Transmit);
        dialog::processPendingEvents();
    });
    EXPECT_TRUE(radioLog().empty());
}

TEST_F(Sending, OffBeforeTheRadioAnswersLeavesItUnkeyed) {
    StationCommandLine given = keyed();
    given.pushToTalkLeadMs = 300;
    withStation(given, [](HWND w) {
        dialog::sendMenuCommand(w, Transmit);
        ASSERT_TRUE(eventually([] { return radioLog().size() >= 3; }));
        EXPECT_EQ(radioLog(), (Names{"open", "key", "unkey"}));
        // The late "keyed" answer does not start the output.
        dialog::processPendingEvents();
        EXPECT_TRUE(wavescript::outputPaused());
        EXPECT_TRUE(wavescript::playedSamples().empty());
    });
}
