// experiment: trace
#include <cstdio>
#include <filesystem>
#include <string>
#include "FramingChannel.h"
#include "viewer/FramingTracker.h"
void dumpRef(const char*, const char*, int, int);
int main(int argc, char** argv) {
    if (argc == 4) { dumpRef(argv[1], argv[2], atoi(argv[3]), 0); return 0; }
    if (argc < 8) return 2;
    auto pic = bench::readGrey(argv[1], "x", 0);
    const int rate = atoi(argv[2]);
    const double ppm = atof(argv[3]), snr = atof(argv[4]);
    const int sync = atoi(argv[5]), frames = atoi(argv[6]);
    std::mt19937 random(atoi(argv[7]));
    auto sent = bench::sentSequence(pic, sync, frames);
    double start = std::uniform_real_distribution<double>(0, 1)(random);
    double mist = std::uniform_real_distribution<double>(-50, 50)(random);
    auto base = bench::channelBase(sent, start, mist);
    if (getenv("DIRECT")) base.sound = recorded(sent, 0, start);
    long skip = std::uniform_int_distribution<long>(100, 3000)(random);
    auto rec = bench::record(base, rate, ppm, snr, skip, random);
    if (getenv("DIRECT")) rec.samples = eightBit(recorded(sent, ppm, start + skip)), rec.origin = -skip;
    rx::FramingTracker t(rate);
    const double P = rec.period(), s0 = rec.frameStart(base, 0);
    auto err = [&](double x) { double k = std::round((x - s0) / P); return (x - s0 - k * P) / rec.samplesPerSent; };
    for (size_t at = 0; at < rec.samples.size(); at += 100) {
        auto before = t.lastFinding().period; (void)before;
        int st0 = int(t.state());
        t.feed(rec.samples.data() + at, std::min<size_t>(100, rec.samples.size() - at));
        const auto& f = t.lastFinding();
        static double lastConf = -1;
        if (f.confidence != lastConf || int(t.state()) != st0) {
            lastConf = f.confidence;
            std::printf("%6.2fs state %d conf %.2f clear %d start %+.2f | break %.2f %+.2f | grid %.2f %+.2f sync %d coh %.3f per %.3f (true %.3f)\n",
                at / double(rate), int(t.state()), f.confidence, f.clear, err(f.start), f.breakConfidence, err(f.breakStart),
                f.gridConfidence, err(f.gridStart), f.syncPresent, f.coherence, f.period, P);
        }
    }
    while (t.hasFrameStart()) { auto fs = t.frontFrame(); if (fs.framed) std::printf("start %.2f err %+.2f\n", fs.start, err(fs.start)); t.popFrameStart(); }
}
#include "viewer/FrameVideo.h"
#include "viewer/LineTiming.h"
#include "viewer/CalibratedLevels.h"
void dumpRef(const char* grey, const char* out, int rate, int sync) {
    auto pic = bench::readGrey(grey, "x", 0);
    std::mt19937 random(3);
    auto base = bench::channelBase(bench::sentSequence(pic, sync, 8), 0.3, 10);
    auto rec = bench::record(base, rate, 300, 0, 500, random);
    rx::ReceiverSettings s; s.sampleRate = rate; s.frameSamples = 3841; s.lineSamples = 120; s.syncLevel = 128; s.syncOn = -1;
    s.framePicture = s.bufferTurn = s.polarity = 1; s.lowPassCutoff = 1500; s.demodMode = rx::DemodFM;
    auto l = rx::calibratedLevels(s); s.brightness = l.brightness; s.contrast = l.contrast;
    rx::FrameArrays work; std::vector<float> video; rx::PictureStore store;
    rx::frameVideo(rec.samples.data(), rec.samples.size(), rec.frameStart(base, 4), rec.period(), s, work, video);
    rx::scanFrame(video.data(), rx::frameVideoSettings(s), store);
    FILE* f = fopen(out, "wb"); fprintf(f, "P5\n96 120\n255\n");
    for (int y = 0; y < 120; ++y) for (int x = 0; x < 96; ++x) fputc(store.bytes[(119 - y) * 288 + x * 3], f);
    fclose(f);
}
