// The real backend, through a private PulseAudio server with a null sink
// whose monitor is the default input: a tone written with waveOut comes
// back through waveIn. Skipped where no such server can be started.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

class WavePortAudio : public ::testing::Test {
protected:
    static inline std::string dir;
    static inline bool serverUp = false;

    static std::string inDir(const std::string& command) {
        return "env XDG_RUNTIME_DIR=" + dir + " HOME=" + dir + " " + command;
    }

    // Must come before the first real open: the sound libraries look for
    // the server once, when PortAudio starts.
    static void SetUpTestSuite() {
        if (std::system("command -v pulseaudio >/dev/null 2>&1") != 0) return;
        char path[] = "/tmp/nbtv-wave-XXXXXX";
        if (mkdtemp(path) == nullptr) return;
        dir = path;
        std::ofstream(dir + "/server.pa")
            << "load-module module-native-protocol-unix auth-anonymous=1\n"
               "load-module module-null-sink sink_name=nbtv rate=10000\n"
               "set-default-sink nbtv\n"
               "set-default-source nbtv.monitor\n";
        std::ofstream(dir + "/client.conf") << "autospawn = no\n";
        serverUp = std::system(inDir("pulseaudio -n -F " + dir + "/server.pa --daemonize=yes"
                                     " --exit-idle-time=-1 --use-pid-file=yes"
                                     " >/dev/null 2>&1")
                                   .c_str()) == 0;
        if (serverUp) {
            setenv("PULSE_SERVER", ("unix:" + dir + "/pulse/native").c_str(), 1);
            setenv("PULSE_CLIENTCONFIG", (dir + "/client.conf").c_str(), 1);
        }
    }

    static void TearDownTestSuite() {
        if (dir.empty()) return;
        if (serverUp) std::system(inDir("pulseaudio --kill >/dev/null 2>&1").c_str());
        std::system(("rm -rf " + dir).c_str());
    }

    void SetUp() override {
        if (!serverUp) GTEST_SKIP() << "no private PulseAudio server could be started";
        Collector::install();
    }
};

// Power of the frequency in the samples (Goertzel), around the mean.
double power(const std::vector<double>& x, double frequency, double rate) {
    double mean = 0;
    for (double v : x) mean += v / static_cast<double>(x.size());
    double w = 2 * std::acos(-1.0) * frequency / rate, s1 = 0, s2 = 0;
    for (double v : x) {
        double s = (v - mean) + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}

TEST_F(WavePortAudio, AToneWrittenComesBackThroughTheMonitor) {
    MMRESULT result;
    HWAVEOUT output = wavetest::openOutput(&result);
    ASSERT_EQ(result, MMSYSERR_NOERROR);
    HWAVEIN input = wavetest::openInput(10000, &result);
    ASSERT_EQ(result, MMSYSERR_NOERROR);

    // 1000 Hz on the left channel, 12000 peak; each buffer is whole cycles.
    constexpr std::size_t frames = 1000;
    Buffer play[2] = {Buffer(4 * frames), Buffer(4 * frames)};
    for (Buffer& buffer : play) {
        for (std::size_t i = 0; i < frames; ++i) {
            auto left = static_cast<std::int16_t>(12000 * std::sin(2 * std::acos(-1.0) * i / 10));
            std::memcpy(buffer.bytes.data() + 4 * i, &left, 2);
        }
        waveOutPrepareHeader(output, &buffer.header, 32);
        waveOutWrite(output, &buffer.header, 32);
    }
    Buffer record[2] = {Buffer(2000), Buffer(2000)};
    for (Buffer& buffer : record) {
        waveInPrepareHeader(input, &buffer.header, 32);
        waveInAddBuffer(input, &buffer.header, 32);
    }
    waveInStart(input);

    int recorded = 0, played = 0;
    WAVEHDR* nextPlayed = &play[0].header;
    WAVEHDR* nextRecorded = &record[0].header;
    std::vector<double> last;
    Posted posted;
    while (recorded < 8) {
        ASSERT_TRUE(Collector::next(posted)) << recorded << " recorded, " << played << " played";
        if (posted.message == MM_WOM_DONE) {
            ASSERT_EQ(posted.header(), nextPlayed);
            nextPlayed = nextPlayed == &play[0].header ? &play[1].header : &play[0].header;
            waveOutWrite(output, posted.header(), 32);
            ++played;
        } else if (posted.message == MM_WIM_DATA) {
            ASSERT_EQ(posted.header(), nextRecorded);
            nextRecorded = nextRecorded == &record[0].header ? &record[1].header : &record[0].header;
            WAVEHDR* header = posted.header();
            ASSERT_EQ(header->dwBytesRecorded, 2000u);
            last.assign(reinterpret_cast<std::uint8_t*>(header->lpData),
                        reinterpret_cast<std::uint8_t*>(header->lpData) + 2000);
            waveInAddBuffer(input, header, 32);
            ++recorded;
        }
    }
    EXPECT_GE(played, 4);
    // The last 0.2 s recorded holds the tone, far above any other.
    double tone = power(last, 1000, 10000);
    EXPECT_GT(tone, 100 * power(last, 1700, 10000));
    EXPECT_GT(tone, 100 * power(last, 400, 10000));
    double peak = 0;
    for (double v : last) peak = std::max(peak, std::abs(v - 128));
    EXPECT_GT(peak, 10);

    waveOutReset(output);
    waveInReset(input);
    for (Buffer& buffer : play) EXPECT_EQ(waveOutUnprepareHeader(output, &buffer.header, 32), 0u);
    for (Buffer& buffer : record) EXPECT_EQ(waveInUnprepareHeader(input, &buffer.header, 32), 0u);
    EXPECT_EQ(waveOutClose(output), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(input), MMSYSERR_NOERROR);
    std::vector<Posted> rest = Collector::take();
    ASSERT_GE(rest.size(), 2u);
    EXPECT_EQ(rest[rest.size() - 2].message, MM_WOM_CLOSE);
    EXPECT_EQ(rest.back().message, MM_WIM_CLOSE);
}

TEST_F(WavePortAudio, ARateTheDeviceRefusesFailsTheOpen) {
    MMRESULT result;
    EXPECT_EQ(wavetest::openInput(3000000000u, &result), nullptr);
    EXPECT_NE(result, MMSYSERR_NOERROR);
    EXPECT_TRUE(Collector::take().empty());
}

}  // namespace
