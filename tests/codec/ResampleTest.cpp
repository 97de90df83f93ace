// nbtvcodec decode on recordings made elsewhere: other sample rates, and
// the signal on another channel than the first.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cmath>
#include <numbers>

#include "tests/codec/DecodeTestSupport.h"

using namespace decodetest;

namespace {

int encode(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return runEncode(static_cast<int>(argv.size()), argv.data());
}

// A card with bars and a gradient, encoded as the transmitter sends it.
std::string encodedCard(const TempDir& dir, int frames) {
    QImage card(96, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 96; ++x) {
            const int grey = (x / 12) % 2 != 0 ? 255 : y * 2;
            card.setPixel(x, y, qRgb(grey, grey, grey));
        }
    EXPECT_TRUE(card.save(QString::fromStdString(dir / "card.png")));
    EXPECT_EQ(encode({dir / "card.png", "-o", dir / "card.wav", "--frames", std::to_string(frames)}), 0);
    return dir / "card.wav";
}

// Pearson correlation of two pictures' pixels.
double score(const std::string& a, const std::string& b) {
    const QImage x(QString::fromStdString(a)), y(QString::fromStdString(b));
    if (x.size() != QSize(96, 120) || y.size() != x.size()) return -1;
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    const int n = 96 * 120;
    for (int r = 0; r < 120; ++r)
        for (int c = 0; c < 96; ++c) {
            const double p = qGray(x.pixel(c, r)), q = qGray(y.pixel(c, r));
            sx += p, sy += q, sxx += p * p, syy += q * q, sxy += p * q;
        }
    return (n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy));
}

}  // namespace

TEST(Resample, RecordingsAtOtherRatesGiveTheSamePicture) {
    TempDir dir;
    const std::string card = encodedCard(dir, 4);
    DecodeRun run = decode({card, "--png", dir / "reference.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("resampling"), std::string::npos);
    for (const std::string rate : {"8000", "11025", "22050", "44100", "48000"}) {
        SCOPED_TRACE(rate);
        const std::string file = dir / (rate + ".wav");
        if (std::system(("sox " + card + " -r " + rate + " " + file + " 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "sox is not installed";
        run = decode({file, "--png", dir / (rate + ".png")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("resampling " + rate + " -> 10000 Hz\n"), std::string::npos) << run.err;
        EXPECT_GE(score(dir / "reference.png", dir / (rate + ".png")), 0.95);
    }
    // Today's behaviour on request: the file's own samples at its own rate.
    run = decode({dir / "8000.wav", "--no-resample", "--png", dir / "own.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("resampling"), std::string::npos) << run.err;
    EXPECT_LT(score(dir / "reference.png", dir / "own.png"), 0.9);
    // Another decoding rate resamples a 10000 Hz file too.
    run = decode({card, "--rate=12000", "--png", dir / "12000.png"});
    EXPECT_NE(run.err.find("resampling 10000 -> 12000 Hz"), std::string::npos) << run.err;
}

TEST(Resample, TheChannelWithTheSignalIsFound) {
    TempDir dir;
    const std::string card = encodedCard(dir, 3);
    SF_INFO info{};
    SNDFILE* in = sf_open(card.c_str(), SFM_READ, &info);
    ASSERT_NE(in, nullptr);
    std::vector<short> stereo(static_cast<std::size_t>(info.frames) * 2);
    sf_readf_short(in, stereo.data(), info.frames);
    sf_close(in);
    // Three channels: a loud hum, a voice-band whistle below the picture's
    // band, and the picture signal, weaker than both.
    std::vector<short> three;
    for (std::size_t n = 0; n < stereo.size() / 2; ++n) {
        const double t = n / 10000.0;
        three.push_back(static_cast<short>(20000 * std::sin(2 * std::numbers::pi * 50 * t)));
        three.push_back(static_cast<short>(20000 * std::sin(2 * std::numbers::pi * 900 * t)));
        three.push_back(static_cast<short>(stereo[2 * n] / 2));
    }
    writeSound(dir / "three.wav", three, 3, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    DecodeRun run = decode({dir / "three.wav", "--png", dir / "found.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("channel 3 of 3"), std::string::npos) << run.err;
    run = decode({dir / "three.wav", "--channel", "3", "--png", dir / "asked.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(dir / "found.png"), readFile(dir / "asked.png"));
    run = decode({dir / "three.wav", "--channel", "4", "--png", dir / "none.png"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("has 3 channels"), std::string::npos) << run.err;
}
