// The event storm over both programs. NBTV_STORM_EVENTS sets the number of
// events (100000 unless given). Every run draws a fresh seed and prints it
// first; STORM_SEED=N replays that run exactly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "dialog/DialogLayer.h"
#include "tests/storm/Storm.h"

namespace {

long long fromEnvironment(const char* name, long long otherwise) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return otherwise;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && value >= 0 ? value : otherwise;
}

}  // namespace

TEST(EventStorm, EveryActionOfBothProgramsKeepsEveryInvariant) {
    const long long events = fromEnvironment("NBTV_STORM_EVENTS", 100000);
    const auto seed = static_cast<unsigned long long>(
        fromEnvironment("STORM_SEED", std::random_device{}() & 0x7fffffff));
    std::printf("storm: seed %llu (STORM_SEED=%llu replays this run)\n", seed, seed);
    std::fflush(stdout);
    storm::Run run;
    run.random.seed(seed);
    run.remaining = events;

    const auto start = std::chrono::steady_clock::now();
    storm::runStorm(run);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("storm: seed %llu: %lld of %lld events survived in %.1f s (%.0f events/s); "
                "%lld sessions, deepest nesting %d, %lld capture buffers filled, %lld output "
                "buffers played\n",
                seed, run.survived, events, seconds, run.survived / std::max(seconds, 1e-9),
                run.sessions, run.deepest, run.framesFilled, run.buffersPlayed);
    for (int a = 0; a < static_cast<int>(storm::Action::Count); ++a)
        std::printf("storm:   %-28s %lld\n", storm::actionName(static_cast<storm::Action>(a)),
                    run.counts[static_cast<std::size_t>(a)]);

    ASSERT_EQ(run.failure, "") << "replay with STORM_SEED=" << seed;
    EXPECT_EQ(run.survived, events);
    if (events >= 20000) {
        // A storm this long reaches every action and the nesting limit; if
        // it did not, the storm itself has gone wrong.
        for (int a = 0; a < static_cast<int>(storm::Action::Count); ++a)
            EXPECT_GT(run.counts[static_cast<std::size_t>(a)], 0)
                << storm::actionName(static_cast<storm::Action>(a));
        EXPECT_EQ(run.deepest, storm::MaxNesting);
        EXPECT_GT(run.framesFilled, events / 20);
        EXPECT_GT(run.buffersPlayed, events / 20);
    }
}

TEST(EventStorm, FrameRateReadoutCheckAcceptsOnlyACutFrameLength) {
    using storm::frameRateReadoutMatches;
    const std::string at16801 = dialog::numberText(10000.0 / 16801);
    EXPECT_TRUE(frameRateReadoutMatches(dialog::numberText(10000.0 / 3841), 10000, 3841));
    EXPECT_TRUE(frameRateReadoutMatches(at16801, 10000, 16800));
    EXPECT_TRUE(frameRateReadoutMatches(dialog::numberText(8000.0 / 65535), 8000, 16800));
    EXPECT_FALSE(frameRateReadoutMatches(at16801, 10000, 16799));
    EXPECT_FALSE(frameRateReadoutMatches(dialog::numberText(10000.0 / 16799), 10000, 16800));
    EXPECT_FALSE(frameRateReadoutMatches(dialog::numberText(10200.0 / 16801), 10000, 16800));
    EXPECT_FALSE(frameRateReadoutMatches("", 10000, 16800));
}
