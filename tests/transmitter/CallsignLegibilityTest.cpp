// The callsign band read back as a receiver sees it: the sent signal with
// white noise at 15 dB SNR over the whole band, demodulated and scanned
// by the receiver's own signal path at its start values. The band must
// still match the callsign as drawn. The pictures are left in the build
// tree (tests/callsign-*.png) to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/ImageWrite.h"
#include "tests/common/SentSignal.h"
#include "transmitter/Identification.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/TransmitterValues.h"
#include "viewer/Demodulator.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureStore.h"
#include "viewer/ReceiverValues.h"

namespace {

constexpr int Band = tx::CallsignBandRows;

rx::ReceiverSettings receiverStart() {
    rx::ReceiverSettings s;
    s.sampleRate = rx::StartSampleRate;
    s.frameSamples = rx::StartFrameSamples;
    s.lineSamples = rx::NeutralLineSamples;
    s.brightness = rx::FmLevels.brightness;
    s.contrast = rx::FmLevels.contrast;
    s.polarity = rx::FmLevels.polarity;
    s.syncLevel = rx::StartSyncLevel;
    s.syncOn = -1;
    s.framePicture = 1;
    s.bufferTurn = 1;
    s.lowPassCutoff = rx::StartLowPassCutoff;
    s.demodMode = rx::StartDemodMode;
    return s;
}

// Grey levels, top row first: the sent picture from its words, the received
// one from the store (row 0 at the bottom in both).
std::vector<double> sentGrey(const tx::ScreenPicture& picture) {
    std::vector<double> grey(tx::PictureWords);
    for (int top = 0; top < tx::PictureRows; ++top)
        for (int x = 0; x < tx::PictureColumns; ++x)
            grey[static_cast<std::size_t>(top * tx::PictureColumns + x)] =
                tx::pictureWord(picture, tx::PictureRows - 1 - top, x) >> 10;
    return grey;
}

std::vector<double> receivedGrey(const rx::PictureStore& store) {
    std::vector<double> grey(tx::PictureWords, 0.0);
    for (int top = 0; top < tx::PictureRows; ++top) {
        const int row = tx::PictureRows - 1 - top;
        for (int x = 0; x < tx::PictureColumns; ++x)
            grey[static_cast<std::size_t>(top * tx::PictureColumns + x)] =
                store.bytes[static_cast<std::size_t>(row) * rx::PictureRowBytes + static_cast<std::size_t>(x) * 3];
    }
    return grey;
}

// Correlation over the rows from `firstTop` on.
double correlation(const std::vector<double>& a, const std::vector<double>& b, int firstTop, int rows) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0, n = 0;
    for (int top = firstTop; top < firstTop + rows; ++top)
        for (int x = 0; x < tx::PictureColumns; ++x) {
            const std::size_t i = static_cast<std::size_t>(top * tx::PictureColumns + x);
            sa += a[i];
            sb += b[i];
            saa += a[i] * a[i];
            sbb += b[i] * b[i];
            sab += a[i] * b[i];
            ++n;
        }
    const double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

void keepPicture(const std::string& name, const std::vector<double>& grey, double scale) {
    const char* dir = std::getenv("NBTV_BINARY_DIR");
    if (dir == nullptr) return;
    std::vector<std::uint8_t> bytes(grey.size());
    for (std::size_t i = 0; i < grey.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(std::clamp(grey[i] * scale, 0.0, 255.0));
    std::string png, errorText;
    if (!platform::encodeGreyPng(bytes.data(), tx::PictureColumns, tx::PictureRows, png, errorText)) return;
    std::ofstream(std::string(dir) + "/tests/callsign-" + name + ".png", std::ios::binary) << png;
}

}  // namespace

TEST(CallsignLegibility, TheBandReadsBackAtFifteenDecibels) {
    for (const std::string callsign : {"G4ABC", "DL1XYZ", "VK2/W1AW"}) {
        transmitter = TransmitterState{};
        transmitter.station.callsign = callsign;
        // A mid-grey picture under the band.
        tx::ScreenPicture picture = greyPicture([](int, int) { return 128; });
        markIdentification(picture, false);

        std::vector<double> sound = sentFrames(picture, false, 3);
        double power = 0;
        for (double v : sound) power += v * v;
        power /= static_cast<double>(sound.size());
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, std::sqrt(power / std::pow(10.0, 15.0 / 10)));
        for (double& v : sound) v += noise(random);
        const std::vector<std::uint8_t> bytes = eightBit(sound);

        // The middle frame as a capture buffer holds it, cut where a framed
        // receiver cuts it: the best of a few samples' delay, which the
        // receiver's filters add along the line.
        const rx::ReceiverSettings settings = receiverStart();
        const std::vector<double> sent = sentGrey(picture);
        rx::FrameArrays arrays = rx::makeFrameArrays(settings.frameSamples);
        double best = -1;
        int bestDelay = 0;
        std::vector<double> bestPicture;
        for (int delay = -20; delay <= 20; ++delay) {
            std::vector<std::uint8_t> buffer(rx::CaptureBufferBytes + rx::CaptureBufferSlack, 0);
            std::copy_n(bytes.begin() + tx::FrameSamples + delay, tx::FrameSamples, buffer.begin());
            rx::demodulate(buffer.data(), settings, arrays);
            rx::PictureStore store;
            rx::scanFrame(arrays.videoSignal.data(), settings, store);
            const std::vector<double> received = receivedGrey(store);
            const double r = correlation(sent, received, 0, Band);
            if (r > best) best = r, bestDelay = delay, bestPicture = received;
        }
        keepPicture("sent-" + std::to_string(callsign.size()), sent, 255.0 / 31);
        keepPicture("15dB-" + std::to_string(callsign.size()), bestPicture, 1.0);
        EXPECT_GE(best, 0.8) << callsign << " cut " << bestDelay << " samples late";
        std::printf("callsign %s: band correlation %.3f at 15 dB\n", callsign.c_str(), best);
    }
}
