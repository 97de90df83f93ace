// What each piece of the framing evidence is worth on the corpus: the
// phase restart's break, the line sync grid's slip, and the two together
// as the search decides. Run by bench/framing-quality --evidence:
//   framing_evidence CORPUS_DIR
// Every picture worked with (the held-out and fresh ones are left alone)
// is sent with line sync off and on through the channel of FramingChannel.h
// at 10000 Hz and +300 ppm (FRAMING_QUALITY_RATE and FRAMING_QUALITY_PPM
// set others), clean, at 20 and at 15 dB. A tracker that never locks folds
// and searches every frame; after eight frames folded each piece of
// evidence is either clear and right (within 3 sender samples of the true
// start), clear and wrong, or not clear. Prints a row per condition and
// piece. Environment: FRAMING_QUALITY_SEED and FRAMING_QUALITY_ONLY as for
// framing_quality; FRAMING_QUALITY_RUNS=1 prints each run's pieces (their
// confidence and how far off they are, in sender samples, and how alike the
// folded frames are) on standard error; FRAMING_QUALITY_HELD=1 takes the
// held-out pictures too.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "FramingChannel.h"
#include "viewer/FramingTracker.h"

namespace {

constexpr int SentFrames = 12;
constexpr int FoldedFrames = 8;
constexpr double RightSamples = 3;
// The backs' fit counted as clear (the search takes it only with the grid).
constexpr double BacksClear = 1.2;
constexpr double Snrs[] = {0, 20, 15};

struct Count {
    int runs = 0, right = 0, wrong = 0;
    void add(bool clear, bool isRight) {
        ++runs;
        right += clear && isRight;
        wrong += clear && !isRight;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: framing_evidence CORPUS_DIR (raw 8-bit grey files, 96 pixels wide)\n");
        return 2;
    }
    const char* seed = std::getenv("FRAMING_QUALITY_SEED");
    const char* only = std::getenv("FRAMING_QUALITY_ONLY");
    const bool verbose = std::getenv("FRAMING_QUALITY_RUNS") != nullptr;
    const char* rateText = std::getenv("FRAMING_QUALITY_RATE");
    const char* ppmText = std::getenv("FRAMING_QUALITY_PPM");
    const int rate = rateText != nullptr ? std::atoi(rateText) : nbtv::SignalRate;
    const double ppm = ppmText != nullptr ? std::atof(ppmText) : 300.0;
    if (rate < 2000 || rate > 48000) {
        std::fprintf(stderr, "framing_evidence: FRAMING_QUALITY_RATE must be 2000-48000\n");
        return 2;
    }
    std::mt19937 random(seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261208u);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.path().extension() == ".gray" &&
            (std::getenv("FRAMING_QUALITY_HELD") != nullptr || (entry.path().stem().string().find("held-") == std::string::npos &&
                                                                entry.path().stem().string().find("fresh-") == std::string::npos)) &&
            (only == nullptr || entry.path().stem().string().find(only) != std::string::npos))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::map<std::string, Count> rows;
    std::vector<std::string> order;
    auto add = [&](const std::string& key, bool clear, bool right) {
        if (rows.find(key) == rows.end()) order.push_back(key);
        rows[key].add(clear, right);
    };
    for (const auto& file : files) {
        const bench::CorpusPicture picture = bench::readGrey(file.string(), file.stem().string(), 0);
        for (const bool sync : {false, true}) {
            const bench::ChannelBase base = bench::channelBase(
                bench::sentSequence(picture, sync, SentFrames), std::uniform_real_distribution<double>(0, 1)(random),
                std::uniform_real_distribution<double>(-50, 50)(random));
            for (const double snr : Snrs) {
                const long skip = std::uniform_int_distribution<long>(0, bench::SentFrame)(random);
                const bench::Recording rec = bench::record(base, rate, ppm, snr, skip, random);
                rx::FramingTracker tracker(rate);
                tracker.searchOnly(true);
                // Fed a frame at a time until eight are folded.
                const std::size_t frame = static_cast<std::size_t>(std::lround(rec.period()));
                std::size_t fed = 0;
                while (fed < rec.samples.size() && (tracker.lastFinding().period == 0 || fed < (FoldedFrames + 1) * frame)) {
                    const std::size_t n = std::min(frame, rec.samples.size() - fed);
                    tracker.feed(rec.samples.data() + fed, n);
                    fed += n;
                }
                const rx::FoldFinding& f = tracker.lastFinding();
                auto off = [&](double start) {
                    return std::remainder(start - rec.frameStart(base, 0), rec.period()) / rec.samplesPerSent;
                };
                auto right = [&](double start) { return std::abs(off(start)) <= RightSamples; };
                const std::string condition = std::string(sync ? "sync on " : "sync off") + ", " +
                                              (snr > 0 ? std::to_string(static_cast<int>(snr)) + " dB" : "clean");
                if (verbose)
                    std::fprintf(stderr, "%-22s %s: coherence %.3f, break %5.2f at %+7.1f, grid %5.2f at %+7.1f, line %5.2f at %+7.1f, fronts %5.2f at %+7.1f, backs %5.2f at %+7.1f, search %d %5.2f at %+7.1f\n",
                                 file.stem().c_str(), condition.c_str(), f.coherence, f.breakConfidence, off(f.breakStart),
                                 f.gridConfidence, off(f.gridStart), f.lineTurnConfidence, off(f.lineTurnStart), f.frontMissConfidence,
                                 off(f.frontMissStart), f.backFitRatio, off(f.backFitStart), f.clear, f.confidence, off(f.start));
                add(condition + ", the break", f.breakConfidence >= 1, right(f.breakStart));
                if (sync) {
                    add(condition + ", bursts seen", f.syncPresent, true);
                    add(condition + ", the grid's slip", f.gridConfidence >= 1, right(f.gridStart));
                    add(condition + ", the restart at a line", f.lineTurnConfidence >= 1, right(f.lineTurnStart));
                    add(condition + ", the fronts' misses", f.frontMissConfidence >= 1, right(f.frontMissStart));
                    add(condition + ", the backs' fit", f.backFitRatio >= BacksClear, right(f.backFitStart));
                }
                add(condition + ", the search", f.clear, right(f.start));
                add(condition + ", nothing to find", tracker.state() == rx::FramingState::NothingToFind, true);
            }
        }
    }
    std::printf("framing-evidence: %zu pictures, %d frames folded, %d Hz, %+.0f ppm\n", files.size(), FoldedFrames, rate, ppm);
    std::printf("%-40s %5s %13s %13s\n", "condition, evidence", "runs", "clear, right", "clear, wrong");
    for (const std::string& key : order) {
        const Count& c = rows[key];
        std::printf("%-40s %5d %12.0f%% %12.0f%%\n", key.c_str(), c.runs, 100.0 * c.right / c.runs, 100.0 * c.wrong / c.runs);
    }
    return 0;
}
