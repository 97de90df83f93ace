// Long recordings and live streams through `nbtvcodec decode`: few open
// files and little memory whatever the length, every frame's picture whole
// on disk as soon as it is decoded, a failure part-way keeping the frames
// written, never two runs' frames in one folder, raw PCM read as it comes,
// and rates that cannot hold the signal refused.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <sys/stat.h>

#include "tests/codec/DecodeTestSupport.h"
#include "transmitter/Synthesis.h"

using namespace decodetest;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool AddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool AddressSanitizer = false;
#endif

// `frames` frames of the transmitter's signal for a picture of stripes,
// mono 16-bit.
std::vector<short> signalFrames(int frames) {
    tx::ScreenPicture picture;
    for (int row = 0; row < tx::PictureRows; ++row)
        for (int column = 0; column < tx::PictureColumns; ++column)
            tx::setPictureWord(picture, row, column, static_cast<std::uint16_t>((row / 8 + column / 12) % 2 ? 0x7FFF : 0));
    tx::TransmitterSettings settings;
    settings.lineSync = 1;
    tx::FrameBuffer frame{};
    tx::synthesizeFrame(picture, settings, frame);
    std::vector<short> samples;
    for (int f = 0; f < frames; ++f)
        for (const tx::StereoFrame& sample : frame.frames) samples.push_back(sample.left);
    return samples;
}

std::vector<std::string> frameFiles(const TempDir& dir, const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string& name : dir.names())
        if (name.rfind(folder + "/", 0) == 0) names.push_back(name.substr(folder.size() + 1));
    return names;
}

std::vector<std::string> numberedFrames(int first, int last) {
    std::vector<std::string> names;
    char name[32];
    for (int n = first; n <= last; ++n) {
        std::snprintf(name, sizeof name, "frame-%05d.png", n);
        names.push_back(name);
    }
    return names;
}

// Whether two picture files hold the same pixels (their headers may differ
// in the resolution a program notes).
bool samePicture(const std::string& a, const std::string& b) {
    const QImage first(QString::fromStdString(a)), second(QString::fromStdString(b));
    return !first.isNull() && first == second;
}

}  // namespace

TEST(StreamingDecode, ALongRecordingNeedsFewFilesAndLittleMemory) {
    ASSERT_TRUE(fs::exists(codecProgram())) << codecProgram() << " is not built";
    TempDir dir;
    constexpr int Frames = 300;
    writeSound(dir / "long.raw", signalFrames(Frames), 1, SF_FORMAT_RAW | SF_FORMAT_PCM_U8);
    // Far fewer descriptors than frames; the address space a small
    // program needs (not under the address sanitizer, which reserves
    // terabytes of it).
    const std::string limits = std::string("ulimit -n 16") + (AddressSanitizer ? "" : "; ulimit -v 102400");
    ASSERT_EQ(shell(dir, limits + "; $C decode --raw u8:10000 long.raw --png-dir frames --png last.png 2>err"), 0)
        << readFile(dir / "err");
    EXPECT_EQ(frameFiles(dir, "frames"), numberedFrames(1, Frames));
    EXPECT_TRUE(samePicture(dir / "frames/frame-00300.png", dir / "last.png"));
}

TEST(StreamingDecode, AFailurePartWayKeepsTheFramesWrittenAndNamesTheFrame) {
    TempDir dir;
    writeSound(dir / "in.wav", signalFrames(6), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // Files may grow to 600 KiB: the signal dump (240004 bytes a frame)
    // cannot take the third frame.
    ASSERT_EQ(shell(dir, "bash -c \"trap '' XFSZ; ulimit -f 600; exec $C decode in.wav --png-dir frames"
                         " --dump-signal dump\" 2>err; echo $? >status"),
              0);
    EXPECT_EQ(readFile(dir / "status"), "1\n");
    const std::string err = readFile(dir / "err");
    EXPECT_EQ(lines(err).size(), 1u) << err;
    EXPECT_EQ(err.rfind("nbtvcodec: frame 3: cannot write dump: ", 0), 0u) << err;
    EXPECT_NE(err.find("frames 1 to 2 are complete in frames"), std::string::npos) << err;
    // The two frames whole, no temporary file left, no half dump.
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"err", "frames", "frames/frame-00001.png",
                                                     "frames/frame-00002.png", "in.wav", "status"}));
}

TEST(StreamingDecode, AFolderOfEarlierFramesIsRefusedOrReplacedWhole) {
    TempDir dir;
    writeSound(dir / "five.wav", signalFrames(5), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<short> inverted = signalFrames(2);
    for (short& s : inverted) s = static_cast<short>(-s);  // another picture
    writeSound(dir / "two.wav", inverted, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(decode({dir / "five.wav", "--png-dir", dir / "d"}).status, 0);
    std::ofstream(dir / "d/notes.txt") << "mine\n";
    std::ofstream(dir / "d/frame-cover.png") << "mine too\n";
    const std::string firstBefore = readFile(dir / "d/frame-00001.png");
    fs::copy_file(dir / "d/frame-00001.png", dir / "first-before.png");

    const DecodeRun refused = decode({dir / "two.wav", "--png-dir", dir / "d"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(lines(refused.err).size(), 1u) << refused.err;
    EXPECT_NE(refused.err.find("holds 5 frame files"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(dir / "d/frame-00001.png"), firstBefore);

    // An input that fails leaves the earlier run alone even with --overwrite.
    EXPECT_NE(decode({dir / "missing.wav", "--png-dir", dir / "d", "--overwrite"}).status, 0);
    EXPECT_EQ(frameFiles(dir, "d").size(), 7u);

    const DecodeRun replaced = decode({dir / "two.wav", "--png-dir", dir / "d", "--overwrite"});
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    std::vector<std::string> expected = {"frame-00001.png", "frame-00002.png", "frame-cover.png", "notes.txt"};
    EXPECT_EQ(frameFiles(dir, "d"), expected);
    EXPECT_FALSE(samePicture(dir / "d/frame-00001.png", dir / "first-before.png"));
    EXPECT_EQ(readFile(dir / "d/notes.txt"), "mine\n");

    const DecodeRun alone = decode({dir / "two.wav", "--png", dir / "p.png", "--overwrite"});
    EXPECT_EQ(alone.status, 2);
    EXPECT_NE(alone.err.find("--overwrite needs --png-dir"), std::string::npos) << alone.err;
}

TEST(StreamingDecode, RatesThatCannotHoldTheSignalAreRefused) {
    TempDir dir;
    const std::vector<short> samples = signalFrames(2);
    writeSound(dir / "one.wav", samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    writeSound(dir / "low.wav", samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 5999);
    writeSound(dir / "lowest.wav", samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6000);
    writeSound(dir / "absurd.wav", samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2000000000);
    writeSound(dir / "fine.wav", samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeSound(dir / "longer.wav", signalFrames(6), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{dir / "one.wav"}, "its rate, 1 Hz, is below 6000 Hz"},
        {{dir / "low.wav", "--no-resample"}, "its rate, 5999 Hz, is below 6000 Hz"},
        {{dir / "absurd.wav"}, "its rate, 2000000000 Hz, is more than"},
        {{dir / "fine.wav", "--raw", "s16le:5999"}, "its rate, 5999 Hz"},
        {{dir / "fine.wav", "--raw", "s16le:0"}, "its rate, 0 Hz"},
        {{dir / "fine.wav", "--raw", "s24le:10000"}, "s16le, u8 or f32le"},
        {{dir / "fine.wav", "--raw", "s16le"}, "FORMAT:RATE[:CHANNELS]"},
        {{dir / "fine.wav", "--raw", "u8:10000:0"}, "FORMAT:RATE[:CHANNELS]"},
        {{dir / "fine.wav", "--raw", "u8:10k"}, "FORMAT:RATE[:CHANNELS]"},
    };
    for (const auto& [args, says] : refused) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--png", dir / "p.png"});
        SCOPED_TRACE(testing::PrintToString(all));
        const DecodeRun run = decode(all);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "p.png"));
    }
    // The lowest rate that holds the signal decodes; the decoding rate
    // keeps its own range.
    EXPECT_EQ(decode({dir / "lowest.wav", "--levels"}).status, 0);
    EXPECT_EQ(decode({dir / "longer.wav", "--levels", "--rate", "2000"}).status, 0);
}

TEST(StreamingDecode, RawPcmAndFloatsInEveryFormatGiveTheSamePictures) {
    TempDir dir;
    const std::vector<short> mono = signalFrames(3);
    writeSound(dir / "in.wav", mono, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<short> stereo;
    for (short s : mono) stereo.insert(stereo.end(), {0, s});  // the signal on the right
    writeSound(dir / "s16.raw", stereo, 2, SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE);
    writeSound(dir / "u8.raw", mono, 1, SF_FORMAT_RAW | SF_FORMAT_PCM_U8);
    // The same samples as floats, full scale 1.0.
    std::vector<float> floats;
    for (short s : mono) floats.push_back(s / 32768.0f);
    std::ofstream(dir / "f32.raw", std::ios::binary)
        .write(reinterpret_cast<const char*>(floats.data()), static_cast<std::streamsize>(floats.size() * 4));

    ASSERT_EQ(decode({dir / "in.wav", "--png-dir", dir / "wav"}).status, 0);
    // Eight-bit samples hold less: compared with the WAV file made of them.
    std::vector<short> coarse;
    for (short s : mono) coarse.push_back(static_cast<short>(s & ~0xFF));
    writeSound(dir / "coarse.wav", coarse, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ASSERT_EQ(decode({dir / "coarse.wav", "--png-dir", dir / "coarse"}).status, 0);
    // A WAV file of floats too, which must not read as silence.
    SF_INFO info{};
    info.samplerate = 10000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* wav = sf_open((dir / "f32.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(wav, nullptr);
    sf_writef_float(wav, floats.data(), static_cast<sf_count_t>(floats.size()));
    sf_close(wav);
    const std::tuple<std::string, std::string, std::string> cases[] = {{"s16.raw", "--raw s16le:10000:2", "wav"},
                                                                       {"u8.raw", "--raw u8:10000", "coarse"},
                                                                       {"f32.raw", "--raw f32le:10000:1", "wav"},
                                                                       {"f32.wav", "", "wav"}};
    for (const auto& [file, format, same] : cases) {
        SCOPED_TRACE(file);
        ASSERT_EQ(shell(dir, "$C decode " + format + " - --png-dir " + file + ".d <" + file + " 2>err"), 0)
            << readFile(dir / "err");
        for (const std::string& frame : numberedFrames(1, 3))
            EXPECT_TRUE(samePicture(dir / (file + ".d/" + frame), dir / (same + "/" + frame))) << frame;
    }
}

TEST(StreamingDecode, FramesFromALivePipeAppearAsTheyArrive) {
    TempDir dir;
    writeSound(dir / "first.raw", signalFrames(4), 1, SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE);
    writeSound(dir / "second.raw", signalFrames(3), 1, SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE);
    // The writer looks into the folder between its two bursts, while the
    // pipe is still open.
    ASSERT_EQ(shell(dir, "(cat first.raw; sleep 2; ls live >during; cat second.raw) |"
                         " $C decode --raw s16le:10000 - --png-dir live --levels >levels 2>err"),
              0)
        << readFile(dir / "err");
    EXPECT_EQ(lines(readFile(dir / "during")), numberedFrames(1, 4));
    EXPECT_EQ(frameFiles(dir, "live"), numberedFrames(1, 7));
    EXPECT_EQ(lines(readFile(dir / "levels")).size(), 7u);
}

TEST(StreamingDecode, AnInterruptedStreamEndsWithItsOutputsWritten) {
    TempDir dir;
    writeSound(dir / "first.raw", signalFrames(3), 1, SF_FORMAT_RAW | SF_FORMAT_PCM_U8);
    // A stream that stays open: a FIFO the shell holds, ended by SIGTERM
    // once the frames are there.
    ASSERT_EQ(shell(dir, "mkfifo in; $C decode --raw u8:10000 - --png-dir live --png last.png <in 2>err &"
                         " decoder=$!; exec 3>in; cat first.raw >&3;"
                         " for i in $(seq 100); do [ -e live/frame-00003.png ] && break; sleep 0.1; done;"
                         " kill -TERM $decoder; wait $decoder; echo $? >status; exec 3>&-"),
              0);
    EXPECT_EQ(readFile(dir / "status"), "143\n");
    EXPECT_NE(readFile(dir / "err").find("interrupted; the 3 frames decoded so far are written"), std::string::npos)
        << readFile(dir / "err");
    EXPECT_TRUE(samePicture(dir / "last.png", dir / "live/frame-00003.png"));
    EXPECT_EQ(frameFiles(dir, "live"), numberedFrames(1, 3));
}

TEST(StreamingDecode, OutputsFollowTheUmaskAndReplacedOnesKeepTheirMode) {
    TempDir dir;
    writeSound(dir / "in.wav", signalFrames(1), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const auto mode = [&](const std::string& name) {
        struct stat info {};
        return ::stat((dir / name).c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    for (const auto& [mask, expected] : {std::pair{"022", 0644u}, {"077", 0600u}, {"002", 0664u}}) {
        SCOPED_TRACE(mask);
        ASSERT_EQ(shell(dir, std::string("umask ") + mask + "; rm -rf d p.png; $C decode in.wav --png p.png"
                             " --png-dir d 2>/dev/null && $C encode p.png -o e.wav --frames 1 && chmod 0640 e.wav &&"
                             " $C encode p.png -o e.wav"),
                  0);
        EXPECT_EQ(mode("p.png"), expected);
        EXPECT_EQ(mode("d/frame-00001.png"), expected);
        EXPECT_EQ(mode("e.wav"), 0640u);  // replaced: its own mode kept
    }
}
