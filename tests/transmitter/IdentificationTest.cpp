// Station identification: the callsign band on every picture, and the
// identification frame at the first frames on the air and every 10
// minutes on the air after.
#include <gtest/gtest.h>

#include "transmitter/Identification.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/TransmitterValues.h"

using namespace tx;

namespace {

ScreenPicture white() {
    ScreenPicture picture;
    picture.words.fill(WhiteWord);
    return picture;
}

// Rows (counted from the top) where the picture still shows the white
// source, and rows where it shows some white.
int sourceRows(const ScreenPicture& picture) {
    int rows = 0;
    for (int row = 0; row < PictureRows; ++row) {
        bool whole = true;
        for (int column = 0; column < PictureColumns; ++column)
            whole = whole && pictureWord(picture, row, column) == WhiteWord;
        rows += whole;
    }
    return rows;
}

bool hasWhiteBetween(const ScreenPicture& picture, int firstRowFromTop, int lastRowFromTop) {
    for (int top = firstRowFromTop; top <= lastRowFromTop; ++top)
        for (int column = 0; column < PictureColumns; ++column)
            if (pictureWord(picture, PictureRows - 1 - top, column) > 0x4000) return true;
    return false;
}

bool isIdentification(const ScreenPicture& picture) { return sourceRows(picture) == 0; }

class Identification : public ::testing::Test {
protected:
    void SetUp() override {
        transmitter = TransmitterState{};
        transmitter.station.callsign = "G4ABC";
    }
    ScreenPicture sent() {
        ScreenPicture picture = white();
        markIdentification(picture, true);
        return picture;
    }
};

}  // namespace

TEST_F(Identification, EveryPictureCarriesTheCallsignInABandAlongItsTop) {
    transmitter.station.identify = false;
    const ScreenPicture picture = sent();
    // Below the band the picture is untouched; in it, white letters on black.
    EXPECT_EQ(sourceRows(picture), PictureRows - CallsignBandRows);
    EXPECT_TRUE(hasWhiteBetween(picture, 0, CallsignBandRows - 1));
    EXPECT_FALSE(hasWhiteBetween(picture, 0, 1));  // a black edge above the letters
    // The letters take the band's height, so that 32 lines resolve them.
    EXPECT_TRUE(hasWhiteBetween(picture, 3, 8));
    EXPECT_TRUE(hasWhiteBetween(picture, CallsignBandRows - 9, CallsignBandRows - 4));
}

TEST_F(Identification, ThreeIdentificationFramesGoFirstAndAgainAfterTenMinutesOnTheAir) {
    for (int frame = 0; frame < IdentificationFrames; ++frame) {
        const ScreenPicture picture = sent();
        EXPECT_TRUE(isIdentification(picture)) << frame;
        EXPECT_TRUE(hasWhiteBetween(picture, 40, 80)) << frame;  // large, in the middle
    }
    // Frames not on the air (the still preview) neither count nor identify.
    for (int i = 0; i < 5000; ++i) {
        ScreenPicture still = white();
        markIdentification(still, false);
        ASSERT_FALSE(isIdentification(still));
    }
    const long long interval = IdentificationInterval;
    const int framesBetween = static_cast<int>((interval + FrameSamples - 1) / FrameSamples);
    int next = IdentificationFrames;
    while (!isIdentification(sent())) ++next;
    EXPECT_EQ(next, framesBetween) << "frames from one identification to the next";
    EXPECT_TRUE(isIdentification(sent()));
    EXPECT_TRUE(isIdentification(sent()));
    EXPECT_FALSE(isIdentification(sent()));
}

TEST_F(Identification, NoCallsignLeavesThePictureAloneAndANewOneIdentifiesAtOnce) {
    transmitter.station.callsign.clear();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sent().words, white().words);
    transmitter.station.callsign = "DL1XYZ";
    restartIdentification();
    EXPECT_TRUE(isIdentification(sent()));
}
