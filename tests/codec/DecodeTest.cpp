// nbtvcodec decode: a file's samples go through the receiver's signal path
// frame by frame, exactly as the viewer would process them.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "tests/codec/DecodeTestSupport.h"
#include "viewer/LineTiming.h"

using namespace rx;

using namespace decodetest;

namespace {

ReceiverSettings settings(int frameSamples, int lineSamples, int cutoff, int mode, int polarity, int syncOn,
                          int syncLevel, int brightness, int contrast) {
    return ReceiverSettings{10000, frameSamples, lineSamples, brightness, contrast, syncLevel, syncOn,
                            polarity, 1, cutoff, mode, 1, 0};
}

// The viewer's frames from these bytes: one capture buffer per frame, zero
// from N on, fresh working arrays, one store for the run. Returns the
// signal dump and store dump decode should write.
std::pair<std::string, std::string> viewerFrames(const std::vector<std::uint8_t>& bytes, const ReceiverSettings& s) {
    std::string signalDump, storeDumps;
    PictureStore store;
    const std::size_t n = static_cast<std::size_t>(s.frameSamples);
    for (std::size_t start = 0; start + n <= bytes.size(); start += n) {
        std::vector<std::uint8_t> capture(CaptureBufferBytes + CaptureBufferSlack, 0);
        std::memcpy(capture.data(), bytes.data() + start, n);
        FrameArrays arrays = makeFrameArrays(s.frameSamples);
        demodulate(capture.data(), s, arrays);
        scanFrame(arrays.videoSignal.data(), s, store);
        signalDump.append(reinterpret_cast<const char*>(arrays.videoSignal.data()), VideoSignalLength * sizeof(float));
        storeDumps.append(reinterpret_cast<const char*>(store.bytes.data()), PictureStoreBytes);
    }
    return {signalDump, storeDumps};
}

// FM picture-like sound with line pulses and some noise.
std::vector<std::uint8_t> pictureBytes(std::size_t length) {
    std::mt19937 random(static_cast<unsigned>(length));
    std::normal_distribution<double> noise(0.0, 3.0);
    std::vector<std::uint8_t> bytes(length);
    double phase = 0.0;
    for (std::size_t n = 0; n < length; ++n) {
        phase += 2 * std::numbers::pi * (n % 120 < 4 ? 2969.0 : 1727.7 + 620.7 * (0.5 + 0.5 * std::sin(n / 300.0))) / 10000.0;
        bytes[n] = static_cast<std::uint8_t>(std::clamp(std::lround(128 + 90 * std::cos(phase) + noise(random)), 0L, 255L));
    }
    return bytes;
}

}  // namespace

TEST(Decode, EveryOptionSetGivesTheViewersFrames) {
    TempDir dir;
    const std::vector<std::uint8_t> bytes = pictureBytes(3 * 3841 + 1000);
    writeBytes(dir / "in.wav", bytes);
    // The same bytes as 16-bit stereo FLAC: low bytes are dropped (rounding
    // down), the second channel is ignored.
    std::vector<short> stereo;
    for (std::uint8_t b : bytes) stereo.insert(stereo.end(), {short((b - 128) * 256 + stereo.size() % 256), short(-7777)});
    writeSound(dir / "in.flac", stereo, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    const std::pair<std::vector<std::string>, ReceiverSettings> cases[] = {
        {{"in.wav"}, settings(3841, 120, 1500, DemodFM, 1, -1, 128, 277, 450)},
        {{"in.flac"}, settings(3841, 120, 1500, DemodFM, 1, -1, 128, 277, 450)},
        {{"in.wav", "--am"}, settings(3841, 120, 1500, DemodAM, -1, -1, 128, 350, 7)},
        {{"in.wav", "--am", "--invert", "--brightness=20"}, settings(3841, 120, 1500, DemodAM, 1, -1, 128, 20, 7)},
        {{"in.wav", "--invert", "--filter", "800"}, settings(3841, 120, 800, DemodFM, -1, -1, 128, 277, 450)},
        {{"in.wav", "--sync", "--sync-level", "140"}, settings(3841, 119, 1500, DemodFM, 1, 1, 140, 277, 450)},
        {{"in.wav", "--sync", "--line-samples", "121", "--filter", "1200"}, settings(3841, 121, 1200, DemodFM, 1, 1, 128, 277, 450)},
        {{"in.wav", "--frame-samples", "2400", "--line-samples", "599", "--contrast", "1024", "--brightness", "0"},
         settings(2400, 599, 1500, DemodFM, 1, -1, 128, 0, 1024)},
    };
    for (const auto& [options, expected] : cases) {
        std::vector<std::string> args = {dir / options[0], "--dump-signal", dir / "signal", "--dump-store", dir / "store"};
        args.insert(args.end(), options.begin() + 1, options.end());
        SCOPED_TRACE(testing::PrintToString(options));
        const DecodeRun run = decode(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto [signalDump, storeDumps] = viewerFrames(bytes, expected);
        ASSERT_EQ(storeDumps.size(), bytes.size() / expected.frameSamples * PictureStoreBytes);
        EXPECT_TRUE(readFile(dir / "signal") == signalDump);
        EXPECT_TRUE(readFile(dir / "store") == storeDumps);
    }
}

TEST(Decode, ToneMadeBySoxGivesThePredictedLevel) {
    TempDir dir;
    for (const std::string tone : {"3000", "2000"}) {
        const std::string file = dir / (tone + ".wav");
        if (std::system(("sox -n -r 10000 -c 1 -b 8 -e unsigned-integer -D " + file + " synth 2 sine " + tone +
                         " vol 0.78 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "sox is not installed";
        const DecodeRun run = decode({file, "--levels"});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> levels = lines(run.out);
        ASSERT_EQ(levels.size(), 5u);  // 20000 samples: five frames of 3841
        for (const std::string& level : levels) {
            const int size = std::stoi(level) * (tone == "3000" ? 1 : -1);
            EXPECT_TRUE(size >= 305 && size <= 312) << tone << " Hz: " << level;
        }
        EXPECT_EQ(lines(run.err).size(), 1u);
        EXPECT_NE(run.err.find("795 samples"), std::string::npos) << run.err;
    }
}

TEST(Decode, PicturesShowTheStoreUprightInGrey) {
    TempDir dir;
    writeBytes(dir / "in.wav", pictureBytes(3 * 3841));
    const DecodeRun run = decode({dir / "in.wav", "--png", dir / "last.png", "--png-dir", dir / "frames",
                                  "--dump-store", dir / "store", "--frames", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // stopped by --frames, not by a partial frame
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"frames", "frames/frame-00001.png", "frames/frame-00002.png",
                                                     "in.wav", "last.png", "store"}));
    const std::string storeDumps = readFile(dir / "store");
    ASSERT_EQ(storeDumps.size(), 2 * PictureStoreBytes);
    for (auto [png, frame] : {std::pair{"frames/frame-00001.png", 0}, {"frames/frame-00002.png", 1}, {"last.png", 1}}) {
        const QImage image(QString::fromStdString(dir / png));
        ASSERT_EQ(image.format(), QImage::Format_Grayscale8) << png;
        ASSERT_EQ(image.size(), QSize(96, 120)) << png;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 96; ++x)
                ASSERT_EQ(image.constScanLine(y)[x], std::uint8_t(storeDumps[frame * PictureStoreBytes + (119 - y) * PictureRowBytes + 3 * x]))
                    << png << " at " << x << ", " << y;
    }
}

TEST(Decode, BadRequestsFailWithOneLineAndLeaveNoFiles) {
    TempDir dir;
    writeBytes(dir / "in.wav", pictureBytes(4000));
    writeBytes(dir / "short.wav", pictureBytes(3840));
    writeBytes(dir / "empty.wav", {});
    std::ofstream(dir / "text.wav") << "not a sound file\n";
    const std::string in = dir / "in.wav";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no input"},
        {{in, in}, "more than one input"},
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
        {{in, "--dump-store", dir / "no/such/dir/st"}, "cannot write"},
        {{in, "--png", dir / "no/such/dir/p.png"}, "cannot write " + std::string(dir / "no/such/dir/p.png:")},
    };
    const std::vector<std::string> before = dir.names();
    const std::vector<std::string> outputs = {"--png", dir / "p.png", "--dump-signal", dir / "s", "--dump-store", dir / "st"};
    for (const auto& [caseArgs, says] : cases) {
        // Every output is asked for too, ahead of the fault: none may be left.
        std::vector<std::string> args = caseArgs;
        args.insert(args.begin() + (args.empty() ? 0 : 1), outputs.begin(), outputs.end());
        SCOPED_TRACE(testing::PrintToString(args));
        const DecodeRun run = decode(args);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(dir.names(), before);
    }
}
