// Cost of making the transmitter's signal: one frame from a picture, and
// `nbtvcodec encode` from a picture file to a sound file.
#include <benchmark/benchmark.h>

#include <memory>

#include "transmitter/Synthesis.h"

namespace {

ScreenPicture testCard() {
    ScreenPicture picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column)
            setPictureWord(picture, row, column,
                           static_cast<std::uint16_t>((column * 31 / 95) * 0x421 ^ (row & 8 ? 0x1F : 0)));
    return picture;
}

void synthesizeOneFrame(benchmark::State& state) {
    const ScreenPicture picture = testCard();
    TransmitterSettings settings;
    settings.lineSync = state.range(0) ? -1 : +1;
    settings.syncPulseLevel = 162;
    auto buffer = std::make_unique<FrameBuffer>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(synthesizeFrame(picture, settings, *buffer));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (FrameSamples - 1));
}
BENCHMARK(synthesizeOneFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
