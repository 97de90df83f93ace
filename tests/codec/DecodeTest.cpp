// nbtvcodec decode: the file's samples go through the receiver's signal
// path frame by frame, exactly as the core computes them.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cmath>
#include <cstring>
#include <random>

#include "tests/codec/DecodeTestSupport.h"
#include "viewer/Demodulator.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureStore.h"

using namespace decodetest;

namespace {

ReceiverSettings settings(int frameSamples, int lineSamples, int cutoff, int mode, int polarity,
                          int syncOn, int syncLevel, int brightness, int contrast) {
    ReceiverSettings s;
    s.sampleRate = 10000;
    s.frameSamples = frameSamples;
    s.lineSamples = lineSamples;
    s.lowPassCutoff = cutoff;
    s.demodMode = mode;
    s.polarity = polarity;
    s.syncOn = syncOn;
    s.syncLevel = syncLevel;
    s.brightness = brightness;
    s.contrast = contrast;
    s.framePicture = 1;
    s.bufferTurn = 1;
    return s;
}

// What the viewer would make of these samples: each frame in a capture
// buffer that holds zeros from N on, fresh working arrays, one store.
struct Expected {
    std::vector<std::vector<float>> videoSignals;
    std::vector<std::vector<std::uint8_t>> stores;
};

Expected receive(const std::vector<std::uint8_t>& bytes, const ReceiverSettings& s) {
    Expected e;
    PictureStore store;
    const std::size_t n = static_cast<std::size_t>(s.frameSamples);
    for (std::size_t start = 0; start + n <= bytes.size(); start += n) {
        std::vector<std::uint8_t> capture(CaptureBufferBytes + CaptureBufferSlack, 0);
        std::memcpy(capture.data(), bytes.data() + start, n);
        FrameArrays arrays = makeFrameArrays(s.frameSamples);
        demodulate(capture.data(), s, arrays);
        scanFrame(arrays.videoSignal.data(), s, store);
        e.videoSignals.push_back(arrays.videoSignal);
        e.stores.push_back(store.bytes);
    }
    return e;
}

// A picture-like FM signal with some noise, as bytes.
std::vector<std::uint8_t> pictureBytes(std::size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 3.0);
    const double pi = std::acos(-1.0);
    std::vector<std::uint8_t> bytes(length);
    double phase = 0.0;
    for (std::size_t n = 0; n < length; ++n) {
        const bool pulse = n % 120 < 4;
        const double frequency = pulse ? 2969.0 : 1727.7 + 620.7 * (0.5 + 0.5 * std::sin(n / 300.0));
        phase += 2 * pi * frequency / 10000.0;
        bytes[n] = static_cast<std::uint8_t>(std::clamp(std::lround(128 + 90 * std::cos(phase) + noise(random)), 0L, 255L));
    }
    return bytes;
}

void expectDumpsMatch(const std::string& signalDump, const std::string& storeDump, const Expected& e) {
    const std::size_t signalBytes = VideoSignalLength * sizeof(float);
    ASSERT_EQ(signalDump.size(), e.videoSignals.size() * signalBytes);
    ASSERT_EQ(storeDump.size(), e.stores.size() * PictureStoreBytes);
    for (std::size_t f = 0; f < e.videoSignals.size(); ++f) {
        ASSERT_EQ(std::memcmp(signalDump.data() + f * signalBytes, e.videoSignals[f].data(), signalBytes), 0)
            << "signal of frame " << f + 1;
        ASSERT_EQ(std::memcmp(storeDump.data() + f * PictureStoreBytes, e.stores[f].data(), PictureStoreBytes), 0)
            << "store after frame " << f + 1;
    }
}

}  // namespace

TEST(Decode, EveryOptionSetGivesTheViewersFrames) {
    TempDir dir;
    const std::vector<std::uint8_t> bytes = pictureBytes(3 * 3841 + 1000, 1);
    writeBytes(dir / "in.wav", bytes);
    struct Case {
        std::vector<std::string> options;
        ReceiverSettings expected;
    };
    const Case cases[] = {
        {{}, settings(3841, 120, 1500, DemodFM, 1, -1, 128, 277, 450)},
        {{"--am"}, settings(3841, 120, 1500, DemodAM, -1, -1, 128, 350, 7)},
        {{"--am", "--invert", "--brightness=20"}, settings(3841, 120, 1500, DemodAM, 1, -1, 128, 20, 7)},
        {{"--invert", "--filter", "800"}, settings(3841, 120, 800, DemodFM, -1, -1, 128, 277, 450)},
        {{"--sync", "--sync-level", "140"}, settings(3841, 119, 1500, DemodFM, 1, 1, 140, 277, 450)},
        {{"--sync", "--line-samples", "121", "--filter", "1200"}, settings(3841, 121, 1200, DemodFM, 1, 1, 128, 277, 450)},
        {{"--frame-samples", "2400", "--line-samples", "599", "--contrast", "1024", "--brightness", "0"},
         settings(2400, 599, 1500, DemodFM, 1, -1, 128, 0, 1024)},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {dir / "in.wav", "--dump-signal", dir / "signal.f32",
                                         "--dump-store", dir / "store.bin"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const DecodeRun run = decode(args);
        SCOPED_TRACE(testing::Message() << "options: " << testing::PrintToString(c.options));
        ASSERT_EQ(run.status, 0) << run.err;
        const Expected e = receive(bytes, c.expected);
        ASSERT_EQ(e.stores.size(), bytes.size() / c.expected.frameSamples);
        expectDumpsMatch(readFile(dir / "signal.f32"), readFile(dir / "store.bin"), e);
    }
}

TEST(Decode, SixteenBitSamplesKeepTheirHighByteAndOnlyTheFirstChannelCounts) {
    TempDir dir;
    const std::vector<std::uint8_t> bytes = pictureBytes(2 * 3841, 2);
    std::mt19937 random(3);
    std::vector<short> stereo;
    for (std::uint8_t b : bytes) {
        // The low byte is dropped, rounding down: -1 reads as 127.
        stereo.push_back(static_cast<short>((b - 128) * 256 + static_cast<int>(random() % 256)));
        stereo.push_back(static_cast<short>(random()));
    }
    writeSound(dir / "in.flac", stereo, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    const DecodeRun run = decode({dir / "in.flac", "--dump-signal", dir / "signal.f32", "--dump-store", dir / "store.bin"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // a whole number of frames: no note
    expectDumpsMatch(readFile(dir / "signal.f32"), readFile(dir / "store.bin"),
                     receive(bytes, settings(3841, 120, 1500, DemodFM, 1, -1, 128, 277, 450)));
}

TEST(Decode, ToneMadeBySoxGivesThePredictedLevel) {
    TempDir dir;
    const std::string sox = "sox -n -r 10000 -c 1 -b 8 -e unsigned-integer -D ";
    for (const char* tone : {"3000", "2000"}) {
        const std::string file = dir / (std::string(tone) + ".wav");
        if (std::system((sox + file + " synth 2 sine " + tone + " vol 0.78 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "sox is not installed";
        const DecodeRun run = decode({file, "--levels"});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> levels = lines(run.out);
        ASSERT_EQ(levels.size(), 5u);  // 20000 samples: five frames of 3841
        for (const std::string& level : levels) {
            const int value = std::stoi(level) * (tone[0] == '2' ? -1 : 1);
            EXPECT_GE(value, 305) << tone << " Hz: " << level;
            EXPECT_LE(value, 312) << tone << " Hz: " << level;
        }
        EXPECT_NE(run.err.find("795 samples"), std::string::npos) << run.err;
        EXPECT_EQ(lines(run.err).size(), 1u);
    }
}

TEST(Decode, PicturesShowTheStoreUprightInGrey) {
    TempDir dir;
    const std::vector<std::uint8_t> bytes = pictureBytes(3 * 3841, 4);
    writeBytes(dir / "in.wav", bytes);
    const DecodeRun run = decode({dir / "in.wav", "--png", dir / "last.png", "--png-dir", dir / "frames",
                            "--dump-store", dir / "store.bin", "--frames", "2", "--levels"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // stopped by --frames, not by a partial frame
    EXPECT_EQ(lines(run.out).size(), 2u);
    const std::string stores = readFile(dir / "store.bin");
    ASSERT_EQ(stores.size(), 2 * PictureStoreBytes);
    std::vector<std::string> frames;
    for (const auto& entry : fs::directory_iterator(dir.path / "frames")) frames.push_back(entry.path().filename().string());
    std::sort(frames.begin(), frames.end());
    ASSERT_EQ(frames, (std::vector<std::string>{"frame-00001.png", "frame-00002.png"}));
    const std::string pictures[] = {dir / "frames/frame-00001.png", dir / "frames/frame-00002.png", dir / "last.png"};
    for (int p = 0; p < 3; ++p) {
        const QImage image(QString::fromStdString(pictures[p]));
        ASSERT_EQ(image.format(), QImage::Format_Grayscale8) << pictures[p];
        ASSERT_EQ(image.width(), 96);
        ASSERT_EQ(image.height(), 120);
        const char* store = stores.data() + std::min(p, 1) * PictureStoreBytes;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 96; ++x) {
                ASSERT_EQ(image.constScanLine(y)[x],
                          static_cast<std::uint8_t>(store[(119 - y) * PictureRowBytes + x * BytesPerPixel]))
                    << pictures[p] << " at " << x << ", " << y;
            }
        }
    }
}

TEST(Decode, BadRequestsFailWithOneLineAndLeaveNoFiles) {
    TempDir dir;
    writeBytes(dir / "in.wav", pictureBytes(4000, 5));
    writeBytes(dir / "short.wav", pictureBytes(3840, 5));
    writeBytes(dir / "empty.wav", {});
    { std::ofstream(dir / "text.wav") << "not a sound file\n"; }
    const std::string in = dir / "in.wav";
    const std::vector<std::string> outputs = {"--png", dir / "p.png", "--png-dir", dir / "frames",
                                              "--dump-signal", dir / "s.f32", "--dump-store", dir / "st.bin"};
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{}, "no input"},
        {{in, dir / "short.wav"}, "more than one input"},
        {{in, "--bogus"}, "unknown option '--bogus'"},
        {{in, "--frame-samples"}, "needs a value"},
        {{in, "--frame-samples", "0"}, "--frame-samples"},
        {{in, "--frame-samples", "16801"}, "16801"},
        {{in, "--frame-samples", "38x"}, "38x"},
        {{in, "--line-samples", "600"}, "--line-samples"},
        {{in, "--filter", "1000"}, "800, 1200 or 1500"},
        {{in, "--sync-level", "256"}, "--sync-level"},
        {{in, "--brightness", "-1"}, "--brightness"},
        {{in, "--contrast", "1025"}, "--contrast"},
        {{in, "--frames", "0"}, "--frames"},
        {{in, "--am=yes"}, "takes no value"},
        {{in, "--png", ""}, "needs a file name"},
        {{dir / "missing.wav"}, "cannot read"},
        {{dir / "text.wav"}, "cannot read"},
        {{dir / "empty.wav"}, "no samples"},
        {{dir / "short.wav"}, "fewer than one frame"},
        {{in, "--dump-store", dir / "no/such/dir/st.bin"}, "cannot write"},
        {{in, "--png", dir / "no/such/dir/p.png"}, "cannot write"},
    };
    const std::vector<std::string> before = dir.names();
    for (const Case& c : cases) {
        // Every output is asked for too, ahead of the fault, so that none
        // may be left behind.
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + (args.empty() ? 0 : 1), outputs.begin(), outputs.end());
        const DecodeRun run = decode(args);
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        std::vector<std::string> after = dir.names();
        after.erase(std::remove(after.begin(), after.end(), "frames"), after.end());  // made empty, harmless
        EXPECT_EQ(after, before);
        if (fs::exists(dir.path / "frames")) {
            EXPECT_TRUE(fs::is_empty(dir.path / "frames"));
        }
    }
}
