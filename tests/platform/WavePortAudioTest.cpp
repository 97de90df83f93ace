// The real backends (PortAudio, and the sound server's own protocol),
// through a private PulseAudio server with a null sink whose monitor is the
// default input: a tone written with waveOut comes back through waveIn.
// Skipped where no such server can be started.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>

#include "tests/platform/PrivatePulseServer.h"
#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;
using wavetest::PrivatePulseServer;

namespace {

class WavePortAudio : public wavetest::WithSuiteServer<::testing::TestWithParam<const char*>> {
protected:
    void SetUp() override { useServer(GetParam()); }
    void TearDown() override { unsetenv("NBTV_SOUND"); }
};

// Power of one frequency in the samples (Goertzel), around their mean.
double power(const std::vector<double>& x, double frequency) {
    double mean = 0;
    for (double v : x) mean += v / static_cast<double>(x.size());
    double c = 2 * std::cos(2 * std::numbers::pi * frequency / 10000), s1 = 0, s2 = 0;
    for (double v : x) {
        double s = (v - mean) + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - c * s1 * s2;
}

TEST_P(WavePortAudio, AToneWrittenComesBackThroughTheMonitor) {
    MMRESULT outResult, inResult;
    HWAVEOUT output = wavetest::openOutput(&outResult);
    HWAVEIN input = wavetest::openInput(10000, &inResult);
    ASSERT_EQ(outResult, MMSYSERR_NOERROR);
    ASSERT_EQ(inResult, MMSYSERR_NOERROR);

    // 1000 Hz on the left channel, 12000 peak, as the programs' signal goes.
    Buffer play[2] = {Buffer(4000), Buffer(4000)}, record[2] = {Buffer(2000), Buffer(2000)};
    for (Buffer& buffer : play) {
        for (std::size_t i = 0; i < 1000; ++i) {
            auto left = static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * double(i) / 10));
            std::memcpy(buffer.bytes.data() + 4 * i, &left, 2);
        }
    }
    wavetest::queueBuffers(output, play);
    wavetest::queueBuffers(input, record);
    waveInStart(input);

    // Both come back alternately, each queued again at once.
    int recorded = 0, played = 0;
    std::vector<double> last;
    Posted posted;
    while (recorded < 8) {
        ASSERT_TRUE(Collector::next(posted)) << recorded << " recorded, " << played << " played";
        if (posted.message == MM_WOM_DONE) {
            ASSERT_EQ(posted.header, &play[played++ % 2].header);
            waveOutWrite(output, posted.header, 32);
        } else if (posted.message == MM_WIM_DATA) {
            ASSERT_EQ(posted.header, &record[recorded++ % 2].header);
            ASSERT_EQ(posted.header->dwBytesRecorded, 2000u);
            auto* bytes = reinterpret_cast<std::uint8_t*>(posted.header->lpData);
            last.assign(bytes, bytes + 2000);
            waveInAddBuffer(input, posted.header, 32);
        }
    }
    // The last 0.2 s recorded holds the tone, far above anything else.
    EXPECT_GT(power(last, 1000), 100 * power(last, 1700));
    EXPECT_GT(power(last, 1000), 100 * power(last, 400));
    EXPECT_GT(*std::max_element(last.begin(), last.end()), 128 + 10);

    waveOutReset(output);
    waveInReset(input);
    EXPECT_EQ(waveOutUnprepareHeader(output, &play[0].header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInUnprepareHeader(input, &record[1].header, 32), MMSYSERR_NOERROR);
    waveOutClose(output);
    waveInClose(input);
    std::vector<UINT> rest = Collector::messages();
    ASSERT_GE(rest.size(), 2u);
    EXPECT_EQ(rest[rest.size() - 2], MM_WOM_CLOSE);
    EXPECT_EQ(rest.back(), MM_WIM_CLOSE);
}

TEST_P(WavePortAudio, ARateTheDeviceRefusesFailsTheOpen) {
    MMRESULT result;
    EXPECT_EQ(wavetest::openInput(3000000000u, &result), nullptr);
    EXPECT_NE(result, MMSYSERR_NOERROR);
    EXPECT_TRUE(Collector::take().empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, WavePortAudio, ::testing::Values("portaudio", "pulse"));

}  // namespace
