// Cost of making the transmitter's signal: one frame from a picture, and
// `nbtvcodec encode` from a picture file to a sound file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "codec/Codec.h"
#include "transmitter/Synthesis.h"

using namespace tx;

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

// The whole command: read raw pixel words, synthesise, write K frames to a
// WAV file in a scratch directory. Counters give frames and seconds of
// signal written per second of run time.
void encodeCommand(benchmark::State& state) {
    char scratch[] = "/tmp/nbtv-encode-bench-XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        state.SkipWithError("no scratch directory");
        return;
    }
    const std::string input = std::string(scratch) + "/card.raw";
    const std::string output = std::string(scratch) + "/card.wav";
    const ScreenPicture picture = testCard();
    if (std::FILE* file = std::fopen(input.c_str(), "wb")) {
        for (std::uint16_t word : picture.words) {
            const unsigned char bytes[2] = {static_cast<unsigned char>(word & 0xFF),
                                            static_cast<unsigned char>(word >> 8)};
            std::fwrite(bytes, 1, 2, file);
        }
        std::fclose(file);
    }
    std::string frames = std::to_string(state.range(0));
    for (auto _ : state) {
        std::string arguments[] = {input, "--raw-words", "-o", output, "--frames", frames};
        char* argv[6];
        for (int i = 0; i < 6; ++i) argv[i] = arguments[i].data();
        if (runEncode(6, argv) != 0) {
            state.SkipWithError("encode failed");
            break;
        }
    }
    std::remove(output.c_str());
    std::remove(input.c_str());
    rmdir(scratch);
    const double framesWritten = static_cast<double>(state.iterations()) * state.range(0);
    state.counters["frames"] = benchmark::Counter(framesWritten, benchmark::Counter::kIsRate);
    state.counters["signal_s"] =
        benchmark::Counter(framesWritten * FrameSamples / SampleRate, benchmark::Counter::kIsRate);
}
BENCHMARK(encodeCommand)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
