// The tracking loop measures only the windows it asks for: the tracker
// works out the run phasors there alone, so anything the loop read beside
// them would be left over from other frames.
#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <vector>

#include "tests/common/SentSignal.h"
#include "viewer/FramingFollow.h"
#include "viewer/FramingParameters.h"
#include "viewer/FramingSearch.h"

namespace {

// The run phasor of every sample, as the tracker's discriminator gives it.
std::vector<std::complex<float>> runPhasors(const std::vector<std::uint8_t>& sound, const rx::FramingParameters& p) {
    const std::size_t reach = static_cast<std::size_t>(p.analyticReach), run = static_cast<std::size_t>(p.run);
    std::vector<std::complex<float>> analytic(sound.size()), runs(sound.size());
    for (std::size_t i = reach; i + reach < sound.size(); ++i)
        for (std::size_t k = 0; k <= 2 * reach; ++k)
            analytic[i] += p.analyticTaps[k] * (static_cast<float>(sound[i + reach - k]) - 128.0f);
    for (std::size_t i = 0; i + run < sound.size(); ++i) runs[i] = analytic[i + run] * std::conj(analytic[i]);
    return runs;
}

TEST(FramingFollow, ReadsOnlyTheWindowsItAsksFor) {
    for (const bool lineSync : {true, false}) {
        const rx::FramingParameters p = rx::framingParameters(10000);
        const auto runs = runPhasors(eightBit(recorded(sentFrames(randomPicture(11), lineSync, 12), 0)), p);
        const double period = 3841;
        rx::FramingFollow whole, windowed;
        whole.reset(p);
        windowed.reset(p);
        whole.lock(8 * period, period, lineSync);
        windowed.lock(8 * period, period, lineSync);
        // One search holds every sample's run; the other those the search
        // measured before the lock and the windows' since, and noise
        // everywhere else.
        rx::FramingSearch every, some;
        every.reset(p);
        some.reset(p);
        std::mt19937 noise(1);
        std::normal_distribution<float> level(0, 3000);
        for (std::size_t n = 0; n < runs.size(); ++n) {
            every.put(static_cast<std::int64_t>(n), runs[n]);
            some.put(static_cast<std::int64_t>(n), static_cast<double>(n) < 8.5 * period ? runs[n] : std::complex<float>(level(noise), level(noise)));
        }
        for (int frame = 0; frame < 2; ++frame) {
            std::vector<std::pair<std::int64_t, std::int64_t>> windows;
            windowed.windows(windows);
            for (const auto& [first, last] : windows)
                for (std::int64_t n = first; n <= last; ++n) some.put(n, runs[static_cast<std::size_t>(n)]);
            const rx::FramingFollow::Step a = whole.follow(every), b = windowed.follow(some);
            EXPECT_TRUE(a.measured) << lineSync;
            EXPECT_EQ(a.start, b.start) << lineSync << " frame " << frame;
            EXPECT_EQ(whole.period(), windowed.period()) << lineSync;
        }
    }
}

// The tracker puts a window's runs in at once; across the ring's end they
// read back as runs put in one by one do.
TEST(FramingSearch, RunsPutTogetherReadAsRunsPutOneByOne) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    rx::FramingSearch together, single;
    together.reset(p);
    single.reset(p);
    const std::int64_t first = together.reach() + 1 - 6;  // six places before the ring's end
    std::vector<float> re, im;
    for (int i = 0; i < 15; ++i) {
        re.push_back(0.5f * static_cast<float>(i) - 3);
        im.push_back(static_cast<float>(i * i) / 7);
        single.put(first + i, {re.back(), im.back()});
    }
    together.put(first, re.data(), im.data(), re.size());
    for (std::int64_t n = first - 1; n <= first + 15; ++n) {
        EXPECT_EQ(together.runAt(n), single.runAt(n)) << n - first;
        EXPECT_EQ(together.sizeAt(n), single.sizeAt(n)) << n - first;
    }
}

}  // namespace
