// What the framing tracker costs per frame: following a locked signal, and
// searching (before a lock or after losing it), where every sample is
// measured and folded.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <vector>

#include "tests/common/SentSignal.h"
#include "viewer/FramingMeasures.h"
#include "viewer/FramingTracker.h"

namespace {

// 0: a picture whose restart stands outside the tones' arc; 1: with line
// sync; 2: a lighter photo-like picture whose restart turns within the arc,
// followed by its turn against the neighbouring lines.
const std::vector<std::uint8_t>& sound(int kind) {
    static const std::vector<std::uint8_t> plain = eightBit(recorded(sentFrames(randomPicture(1), false, 40), 300, 100));
    static const std::vector<std::uint8_t> synced = eightBit(recorded(sentFrames(randomPicture(11), true, 40), 300, 100));
    static const std::vector<std::uint8_t> turned = eightBit(recorded(
        sentFrames(greyPicture([](int row, int column) { return 150 + photoLike(row, column) / 3; }), false, 40), 300, 100));
    return kind == 1 ? synced : kind == 2 ? turned : plain;
}

// One frame's samples per iteration, fed to a tracker that has locked. At
// the recording's end the tracker goes back to where it had just locked (a
// copy, rather than a search afresh, which would take far longer than the
// frames followed).
void followFrame(benchmark::State& state) {
    const auto& s = sound(static_cast<int>(state.range(0)));
    rx::FramingTracker tracker;
    const std::size_t frame = 3842, lead = 12 * frame;
    std::size_t at = 0;
    tracker.feed(s.data(), lead);
    while (tracker.hasFrameStart()) tracker.popFrameStart();
    at = lead;
    if (!tracker.locked()) state.SkipWithError("no lock");
    const rx::FramingTracker locked = tracker;
    for (auto _ : state) {
        if (at + frame > s.size()) {
            state.PauseTiming();
            tracker = locked;
            at = lead;
            state.ResumeTiming();
        }
        tracker.feed(s.data() + at, frame);
        at += frame;
        while (tracker.hasFrameStart()) tracker.popFrameStart();
    }
}
BENCHMARK(followFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// One frame of a steady tone per iteration (a whole number of cycles, so
// it runs on unbroken from one to the next): a tone, but no break to lock
// to, so the tracker folds and searches every frame.
void searchFrame(benchmark::State& state) {
    std::vector<std::uint8_t> tone(3841);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::uint8_t>(128 + std::lround(100 * std::sin(2 * 3.141592653589793 * 768 * i / 3841.0)));
    rx::FramingTracker tracker;
    for (auto _ : state) {
        tracker.feed(tone.data(), tone.size());
        while (tracker.hasFrameStart()) tracker.popFrameStart();
    }
}
BENCHMARK(searchFrame)->Unit(benchmark::kMicrosecond);

// What a search with line sync adds for the bursts' fronts: 32 starts
// tried, each a regression of 32 lines' fronts left out in turn.
void frontMisses(benchmark::State& state) {
    constexpr int Lines = 32, Regressors = 5, Values = 3;
    std::vector<std::complex<double>> x(Lines * Regressors), y(Lines * Values);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = std::polar(1.0, 0.37 * static_cast<double>(i * i % 17));
    for (std::size_t i = 0; i < y.size(); ++i) y[i] = std::polar(1.0, 0.53 * static_cast<double>(i * i % 13));
    for (auto _ : state)
        for (int start = 0; start < Lines; ++start) benchmark::DoNotOptimize(rx::leftOutMisses(x.data(), y.data(), Lines, Regressors, Values));
}
BENCHMARK(frontMisses)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
