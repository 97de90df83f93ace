// The receiver's per-frame path (demodulate, scan, plot) and the decode
// throughput of nbtvcodec on one hour of sound.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <sndfile.h>
#include <fcntl.h>
#include <unistd.h>

#include "codec/Codec.h"
#include "viewer/Demodulator.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureStore.h"

using namespace rx;

namespace {

ReceiverSettings settingsFor(int frameSamples, int mode) {
    ReceiverSettings s;
    s.sampleRate = 10000;
    s.frameSamples = frameSamples;
    s.lineSamples = 120;
    s.syncLevel = 128;
    s.syncOn = -1;
    s.framePicture = 1;
    s.lowPassCutoff = 1500;
    s.demodMode = mode;
    s.polarity = mode == DemodAM ? -1 : 1;
    s.brightness = mode == DemodAM ? 350 : 277;
    s.contrast = mode == DemodAM ? 7 : 450;
    s.bufferTurn = 1;
    return s;
}

// A picture-like FM signal: the tone sweeps between black and white along
// each line.
std::vector<std::uint8_t> pictureSound(std::size_t length) {
    std::vector<std::uint8_t> sound(length);
    const double pi = std::acos(-1.0);
    double phase = 0.0;
    for (std::size_t n = 0; n < length; ++n) {
        const double frequency = 1727.7 + 620.7 * (0.5 + 0.5 * std::sin(2 * pi * n / 97.0));
        phase += 2 * pi * frequency / 10000.0;
        sound[n] = static_cast<std::uint8_t>(std::lround(128.0 + 100.0 * std::cos(phase)));
    }
    return sound;
}

// As the viewer does it: fresh zero-filled working arrays for every frame.
void receiveFrameFresh(benchmark::State& state) {
    const ReceiverSettings s = settingsFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> capture = pictureSound(CaptureBufferBytes + CaptureBufferSlack);
    PictureStore store;
    for (auto _ : state) {
        FrameArrays arrays = makeFrameArrays(s.frameSamples);
        demodulate(capture.data(), s, arrays);
        scanFrame(arrays.videoSignal.data(), s, store);
        benchmark::DoNotOptimize(store.bytes.data());
    }
}

// One set of working arrays reused for every frame, as nbtvcodec does.
void receiveFrameReused(benchmark::State& state) {
    const ReceiverSettings s = settingsFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> capture = pictureSound(CaptureBufferBytes + CaptureBufferSlack);
    PictureStore store;
    FrameArrays arrays = makeFrameArrays(s.frameSamples);
    for (auto _ : state) {
        demodulate(capture.data(), s, arrays);
        scanFrame(arrays.videoSignal.data(), s, store);
        benchmark::DoNotOptimize(store.bytes.data());
    }
}

void demodulateOnly(benchmark::State& state) {
    const ReceiverSettings s = settingsFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> capture = pictureSound(CaptureBufferBytes + CaptureBufferSlack);
    FrameArrays arrays = makeFrameArrays(s.frameSamples);
    for (auto _ : state) {
        demodulate(capture.data(), s, arrays);
        benchmark::DoNotOptimize(arrays.videoSignal.data());
    }
}

void scanOnly(benchmark::State& state) {
    const ReceiverSettings s = settingsFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> capture = pictureSound(CaptureBufferBytes + CaptureBufferSlack);
    FrameArrays arrays = makeFrameArrays(s.frameSamples);
    demodulate(capture.data(), s, arrays);
    PictureStore store;
    for (auto _ : state) {
        scanFrame(arrays.videoSignal.data(), s, store);
        benchmark::DoNotOptimize(store.bytes.data());
    }
}

// One hour of sound at 10000 samples per second, 16-bit mono WAV, made
// once per run in the temporary directory and removed at exit.
struct HourFile {
    std::string path;
    HourFile() {
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp != nullptr ? tmp : "/tmp") + "/nbtv-hour-" + std::to_string(::getpid()) + ".wav";
        SF_INFO info{};
        info.samplerate = 10000;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (file == nullptr) return;
        const std::vector<std::uint8_t> minute = pictureSound(600000);
        std::vector<short> samples(minute.size());
        for (std::size_t i = 0; i < minute.size(); ++i) samples[i] = static_cast<short>((minute[i] - 128) * 256);
        for (int m = 0; m < 60; ++m) sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(file);
    }
    ~HourFile() { std::remove(path.c_str()); }
};

void decodeOneHour(benchmark::State& state) {
    static HourFile hour;
    std::vector<std::string> args = {hour.path};
    if (state.range(0) == 1) args.push_back("--levels");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    // An hour leaves a partial frame; its note and the levels go to
    // /dev/null while decoding, out of the figures' way.
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOut = ::dup(1), savedErr = ::dup(2);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    int status = 0;
    for (auto _ : state) status |= runDecode(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(savedOut, 1);
    ::dup2(savedErr, 2);
    ::close(null);
    ::close(savedOut);
    ::close(savedErr);
    if (status != 0) state.SkipWithError("decode failed");
    state.counters["x_real_time"] = benchmark::Counter(3600.0, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(receiveFrameFresh)->ArgsProduct({{3841, 16800}, {DemodFM, DemodAM}})->Unit(benchmark::kMicrosecond);
BENCHMARK(receiveFrameReused)->ArgsProduct({{3841, 16800}, {DemodFM, DemodAM}})->Unit(benchmark::kMicrosecond);
BENCHMARK(demodulateOnly)->ArgsProduct({{3841, 16800}, {DemodFM, DemodAM}})->Unit(benchmark::kMicrosecond);
BENCHMARK(scanOnly)->ArgsProduct({{3841}, {DemodFM, DemodAM}})->Unit(benchmark::kMicrosecond);
BENCHMARK(decodeOneHour)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
