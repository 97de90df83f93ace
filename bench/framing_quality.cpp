// How well automatic framing frames the corpus of pictures hams send.
// Run by bench/framing-quality, which turns the corpus into raw grey files:
//   framing_quality CORPUS_DIR
// Every picture is sent (the transmitter's synthesis) with line sync off
// and on through the channel of FramingChannel.h, and recorded at every
// combination of SNR (clean, 20, 15 dB), clock error (-300, 0, +300 ppm)
// and rate (8000, 9000, 10000, 12000 Hz), from a random start. Each
// recording goes through the framed-picture path (FramedPictures, as
// nbtvcodec decode --auto and the viewer use it) and, for the reference,
// through the same cut, demodulation and scan at the frame starts the
// channel put there, moved by the fraction of a sample (up to two) that
// gives the best picture: the receiver framed by hand, as well as hand can.
// With line sync on the receiver's Sync is tried off and on, from the same
// recording. A run is
//   framed          every frame shown from 5 s on was placed by the
//                   locked tracker within 1.5 sender samples of the true
//                   start, and its score is within 0.03 of the reference's;
//   wrongly framed  the locked tracker placed any frame 3 or more sender
//                   samples off (the picture is split or shifted);
//   not framed      anything else (no lock, a late one, or a loose one).
// Scores are correlations of the shown 96 x 120 picture with the sent one;
// with line sync, over the rows the bursts leave to the picture.
// Environment:
//   FRAMING_QUALITY_PART=dev|held|fresh|all
//                                       the pictures worked with, those
//                                       held out in the first two rounds,
//                                       those made and held out for the
//                                       third, or all (default)
//   FRAMING_QUALITY_QUICK=1             +300 ppm only, at 10000 Hz unless
//   FRAMING_QUALITY_RATE=R              one rate only
//   FRAMING_QUALITY_ONLY=TEXT           pictures whose name holds TEXT
//   FRAMING_QUALITY_SYNC=off|on         the sender's line sync off or on only
//   FRAMING_QUALITY_RUNS=1              one line per run on standard error
//                                       (with the reference's score where
//                                       the hand moved it, and unmoved,
//                                       cut at the true start)
//   FRAMING_QUALITY_LOCKS=1             and a line per lock: what the fold
//                                       showed (each piece's clearness and
//                                       how far off it stood, in sender
//                                       samples)
//   FRAMING_QUALITY_FOLDS=1             and a line per frame shown: the
//                                       last fold's pieces, as for a lock
//   FRAMING_QUALITY_SEED=N              other starts, mistunings and noise
// Without QUICK, the runs PART, ONLY, SYNC and RATE leave out are still
// recorded (not scored), so that each run scored is the one the whole
// bench makes: a run seen in the table can be looked at on its own.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "FramingChannel.h"
#include "tests/common/CalibratedReceiver.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/FrameVideo.h"
#include "viewer/FramedPictures.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureStore.h"

namespace {

constexpr int SentFrames = 22;            // 8.4 s
constexpr double ScoredFromSeconds = 5;   // frames shown from then on count
constexpr double FramedError = 1.5;       // sender samples
constexpr double WrongError = 3;
constexpr double ScoreMargin = 0.03;
// The reference's frame start is set by hand: the best of these shifts
// from the true start, in sender samples.
constexpr double HandReach = 2, HandStep = 0.5;
constexpr double Snrs[] = {0, 20, 15};
constexpr double Ppms[] = {-300, 0, 300};
constexpr int Rates[] = {8000, 9000, 10000, 12000};
// The pictures held out are the last ones the corpus script makes: those
// of the first two rounds, and those made for the third.
const char* HeldOutMark = "held-";
const char* FreshMark = "fresh-";
enum Part { Worked, Held, Fresh };
const char* PartNames[] = {"dev", "held", "fresh"};
const char* PartTitles[] = {"Pictures worked with", "Pictures held out (first two rounds)",
                            "Pictures held out (made for the third round)"};

bool envSet(const char* name) { return std::getenv(name) != nullptr && *std::getenv(name) != '\0'; }
std::string envText(const char* name, const char* otherwise) {
    return envSet(name) ? std::getenv(name) : otherwise;
}

rx::ReceiverSettings settingsFor(int rate, bool receiverSync) { return rxtest::calibratedFmReceiver(rate, receiverSync); }

// With line sync the first samples of every line carry the burst, not the
// picture: the rows they and a few samples either side land on are left
// out of the score (the burst is bright beyond white and would otherwise
// reward a frame set where it hides in the picture's light parts).
constexpr int BurstMargin = 3;  // sender samples: the hand's reach and a framing error
bool burstRow(int y) {
    // A line's sample p is the sent picture's row Height - 1 - p.
    const int p = bench::Height - 1 - y;
    return p < nbtv::SyncPulseSamples + BurstMargin || p >= nbtv::LineSamples - BurstMargin;
}

// Correlation of the shown picture (store rows 119 down to 0) with the
// sent one (top row first), over the rows that carry picture.
double correlation(const rx::PictureStore& store, const std::vector<std::uint8_t>& sent, bool lineSync) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0, n = 0;
    for (int y = 0; y < bench::Height; ++y) {
        if (lineSync && burstRow(y)) continue;
        for (int x = 0; x < bench::Width; ++x) {
            const double a = store.bytes[static_cast<std::size_t>((bench::Height - 1 - y) * rx::PictureRowBytes + x * 3)];
            const double b = sent[static_cast<std::size_t>(y * bench::Width + x)];
            sa += a;
            sb += b;
            saa += a * a;
            sbb += b * b;
            sab += a * b;
            ++n;
        }
    }
    const double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

enum Outcome { Framed, Wrong, NotFramed };

struct Run {
    std::string picture;
    Part part = Worked;
    bool moving = false, senderSync = false, receiverSync = false;
    double snr = 0, ppm = 0;
    int rate = 0;
    Outcome outcome = NotFramed;
    double automatic = 0, reference = 0;  // mean scores over the scored frames
    double atStart = 0;                   // the reference's, cut at the true start (unmoved)
    double lockSeconds = -1;              // the first frame shown framed and right
    double handShift = 0;                 // where the reference was set, sender samples from the start
    double worstError = 0;                // the largest placement error of a framed frame scored, sender samples
    int unframedScored = 0;               // frames scored that were shown unframed
    double meanError = 0;                 // the mean placement error of the frames scored, sender samples
};

// One recording through the framed path, scored with one receiver setting.
Run score(const bench::CorpusPicture& picture, const bench::ChannelBase& base, const bench::Recording& rec,
          int rate, bool lineSync, bool receiverSync) {
    Run run;
    run.receiverSync = receiverSync;
    const rx::ReceiverSettings s = settingsFor(rate, receiverSync);
    rx::FramedPictures framed(rate, 1);
    rx::PictureStore store, reference, unmovedStore;
    rx::FrameArrays arrays = rx::makeFrameArrays(nbtv::FrameSamples), work;
    std::vector<float> video;
    const double period = rec.period(), senderSample = rec.samplesPerSent;
    const double scoredFrom = ScoredFromSeconds * rate;
    const std::size_t chunk = static_cast<std::size_t>(std::lround(period));
    double autoSum = 0, referenceSum = 0, atStartSum = 0, handShift = 0;
    bool handSet = false;
    int scored = 0;
    bool allRight = true, wrong = false, wasFramed = false;
    const bool showLocks = envSet("FRAMING_QUALITY_LOCKS");
    const bool showRuns = envSet("FRAMING_QUALITY_RUNS");
    const bool showFolds = envSet("FRAMING_QUALITY_FOLDS");
    // The sent frame nearest a place, and how far the place stands from its start.
    auto nearestFrame = [&](double place) { return std::lround((place - rec.frameStart(base, 0)) / period); };
    auto off = [&](double place) { return (place - rec.frameStart(base, nearestFrame(place))) / senderSample; };
    // Each piece of a fold's evidence: how clear, and how far off it stood.
    auto printPieces = [&](const rx::FoldFinding& f) {
        std::fprintf(stderr, "break %.2f off %+.1f, grid %.2f off %+.1f, restart at a line %.2f off %+.1f, front miss %.2f off %+.1f, backs %.2f off %+.1f%s\n",
                     f.breakConfidence, off(f.breakStart), f.gridConfidence, off(f.gridStart), f.lineTurnConfidence,
                     off(f.lineTurnStart), f.frontMissConfidence, off(f.frontMissStart), f.backFitRatio, off(f.backFitStart),
                     f.syncPresent ? ", bursts" : "");
    };
    for (std::size_t at = 0; at < rec.samples.size(); at += chunk) {
        framed.feed(rec.samples.data() + at, std::min(chunk, rec.samples.size() - at));
        while (framed.next(s, store, arrays)) {
            const double start = framed.lastStart();
            const long frame = nearestFrame(start);
            const double error = off(start);
            // (The fold the tracker locked on: it folds no more while locked.)
            const rx::FoldFinding& f = framed.tracker().lastFinding();
            if (showLocks && framed.lastFramed() && !wasFramed) {
                std::fprintf(stderr, "lock %-24s sync %d/%d rate %5d at %.2f s: off %+.2f, clearness %.2f; ", picture.name.c_str(),
                             lineSync, receiverSync, rate, start / rate, error, f.confidence);
                printPieces(f);
            }
            if (showFolds) {
                std::fprintf(stderr, "fold %.2f s framed %d off %+.1f: clear %d %.2f off %+.1f; ", start / rate, framed.lastFramed(),
                             error, f.clear, f.confidence, off(f.start));
                printPieces(f);
            }
            wasFramed = framed.lastFramed();
            if (framed.lastFramed() && std::abs(error) >= WrongError) wrong = true;
            if (framed.lastFramed() && std::abs(error) <= FramedError && run.lockSeconds < 0)
                run.lockSeconds = start / rate;
            if (start < scoredFrom || frame < 0) continue;
            // The reference: the same frame cut where it starts, moved by
            // as much as gives the best picture of the first frame scored
            // (a channel draws the picture a little aside; a hand would set
            // the frame there once).
            const auto& sent = picture.frame(frame);
            auto referencePicture = [&](double shift, rx::PictureStore& into) {
                rx::frameVideo(rec.samples.data(), static_cast<std::int64_t>(rec.samples.size()),
                               rec.frameStart(base, frame) + shift * senderSample, period, s, work, video);
                rx::scanFrame(video.data(), rx::frameVideoSettings(s), into);
                return correlation(into, sent, lineSync);
            };
            if (!handSet) {
                double best = -2;
                for (double shift = -HandReach; shift <= HandReach + 1e-9; shift += HandStep) {
                    const double score = referencePicture(shift, reference);
                    if (score > best) {
                        best = score;
                        handShift = shift;
                    }
                }
                handSet = true;
            }
            // (The line timing with Sync on leaves some rows as the frame
            // before drew them: each reference keeps its own picture.)
            const double unmoved = showRuns ? referencePicture(0, unmovedStore) : 0.0;
            const double moved = referencePicture(handShift, reference);
            autoSum += correlation(*framed.shown(), sent, lineSync);
            referenceSum += moved;
            atStartSum += unmoved;
            ++scored;
            if (!framed.lastFramed() || std::abs(error) > FramedError) allRight = false;
            run.meanError += error;
            if (framed.lastFramed())
                run.worstError = std::max(run.worstError, std::abs(error));
            else
                ++run.unframedScored;
        }
    }
    run.handShift = handShift;
    if (scored > 0) run.meanError /= scored;
    run.automatic = scored > 0 ? autoSum / scored : 0;
    run.reference = scored > 0 ? referenceSum / scored : 0;
    run.atStart = scored > 0 ? atStartSum / scored : 0;
    if (wrong)
        run.outcome = Wrong;
    else if (scored > 0 && allRight && run.automatic >= run.reference - ScoreMargin)
        run.outcome = Framed;
    return run;
}

struct Tally {
    int runs = 0, framed = 0, wrong = 0, notFramed = 0;
    double difference = 0, autoScore = 0, lock = 0;
    int locks = 0;
    void add(const Run& r) {
        ++runs;
        framed += r.outcome == Framed;
        wrong += r.outcome == Wrong;
        notFramed += r.outcome == NotFramed;
        difference += r.automatic - r.reference;
        autoScore += r.automatic;
        if (r.lockSeconds >= 0) {
            lock += r.lockSeconds;
            ++locks;
        }
    }
    void print(const std::string& name) const {
        if (runs == 0) return;
        std::printf("%-34s %5d %7.1f%% %6d %6d %+9.3f %6.3f %7.2f\n", name.c_str(), runs, 100.0 * framed / runs, wrong,
                    notFramed, difference / runs, autoScore / runs, locks > 0 ? lock / locks : -1.0);
    }
};

void printTable(const std::vector<Run>& runs, const std::string& title) {
    std::map<std::string, Tally> rows;
    std::vector<std::string> order;
    auto add = [&](const std::string& key, const Run& r) {
        if (rows.find(key) == rows.end()) order.push_back(key);
        rows[key].add(r);
    };
    for (const Run& r : runs) {
        add("all", r);
        add(r.snr > 0 ? "SNR " + std::to_string(static_cast<int>(r.snr)) + " dB" : "SNR clean", r);
        add(std::string("sync ") + (r.senderSync ? "on" : "off") + ", receiver Sync " + (r.receiverSync ? "on" : "off"), r);
        char ppm[32];
        std::snprintf(ppm, sizeof ppm, "clock %+.0f ppm", r.ppm);
        add(ppm, r);
        add("rate " + std::to_string(r.rate) + " Hz", r);
        add(r.moving ? "moving pictures" : "still pictures", r);
        // The targets' own rows.
        if (!r.moving && r.snr != 15 && r.ppm != 0) add("target: still, clean+20 dB, +-300", r);
        if (!r.moving && r.snr == 15) add("target: still, 15 dB", r);
    }
    std::printf("\n%s\n%-34s %5s %8s %6s %6s %9s %6s %7s\n", title.c_str(), "condition", "runs", "framed", "wrong", "not",
                "auto-ref", "auto", "lock s");
    std::vector<std::string> sorted = order;
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        auto rank = [](const std::string& k) {
            if (k == "all") return 0;
            if (k.rfind("SNR", 0) == 0) return 1;
            if (k.rfind("sync", 0) == 0) return 2;
            if (k.rfind("clock", 0) == 0) return 3;
            if (k.rfind("rate", 0) == 0) return 4;
            if (k.find("pictures") != std::string::npos) return 5;
            return 6;
        };
        return rank(a) < rank(b);
    });
    for (const std::string& key : sorted) rows[key].print(key);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: framing_quality CORPUS_DIR (raw 8-bit grey files, 96 pixels wide)\n");
        return 2;
    }
    const auto began = std::chrono::steady_clock::now();
    const std::string part = envText("FRAMING_QUALITY_PART", "all"), only = envText("FRAMING_QUALITY_ONLY", "");
    const bool quick = envSet("FRAMING_QUALITY_QUICK"), verbose = envSet("FRAMING_QUALITY_RUNS");
    const std::string onlySync = envText("FRAMING_QUALITY_SYNC", "");
    const int onlyRate = std::atoi(envText("FRAMING_QUALITY_RATE", "0").c_str());
    std::mt19937 random(static_cast<unsigned>(std::strtoul(envText("FRAMING_QUALITY_SEED", "20261208").c_str(), nullptr, 10)));

    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.path().extension() == ".gray") files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::vector<Run> runs;
    int pictures = 0;
    for (const auto& file : files) {
        const std::string name = file.stem().string();
        const Part group = name.find(HeldOutMark) != std::string::npos ? Held
                           : name.find(FreshMark) != std::string::npos ? Fresh
                                                                        : Worked;
        const bool pictureWanted = (part == "all" || part == PartNames[group]) &&
                                   (only.empty() || name.find(only) != std::string::npos);
        if (!pictureWanted && quick) continue;
        const bench::CorpusPicture picture = bench::readGrey(file.string(), name, pictures);
        pictures += pictureWanted;
        for (const bool sync : {false, true}) {
            const bool syncWanted = pictureWanted && onlySync != (sync ? "off" : "on");
            if (!syncWanted && quick) continue;
            // The channel's linear part once per picture and sync; the
            // start within the frame, the noise and the card's clock for
            // every run.
            const double fraction = std::uniform_real_distribution<double>(0, 1)(random);
            const double mistune = std::uniform_real_distribution<double>(-50, 50)(random);
            const bench::ChannelBase base = bench::channelBase(bench::sentSequence(picture, sync, SentFrames), fraction, mistune);
            for (const double snr : Snrs)
                for (const double ppm : Ppms)
                    for (const int rate : Rates) {
                        if (quick && ppm != 300) continue;
                        const bool rateWanted = rate == onlyRate || (onlyRate == 0 && (!quick || rate == nbtv::SignalRate));
                        if (!rateWanted && quick) continue;
                        const double recordedFrame = nbtv::FrameSamples * rate / bench::SentRate;
                        const long skip = std::uniform_int_distribution<long>(0, static_cast<long>(recordedFrame))(random);
                        const bench::Recording rec = bench::record(base, rate, ppm, snr, skip, random);
                        if (!syncWanted || !rateWanted) continue;
                        for (const bool receiverSync : {false, true}) {
                            if (receiverSync && !sync) continue;
                            Run r = score(picture, base, rec, rate, sync, receiverSync);
                            r.picture = name;
                            r.part = group;
                            r.moving = picture.moving();
                            r.senderSync = sync;
                            r.snr = snr;
                            r.ppm = ppm;
                            r.rate = rate;
                            if (verbose)
                                std::fprintf(stderr, "%-24s sync %d/%d snr %2.0f ppm %+4.0f rate %5d: %-9s auto %.3f ref %.3f lock %.2f hand %+.1f worst %.1f mean %+.2f unframed %d start %.3f\n",
                                             name.c_str(), sync, receiverSync, snr, ppm, rate,
                                             r.outcome == Framed ? "framed" : r.outcome == Wrong ? "WRONG" : "not",
                                             r.automatic, r.reference, r.lockSeconds, r.handShift, r.worstError, r.meanError, r.unframedScored, r.atStart);
                            runs.push_back(r);
                        }
                    }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("framing-quality: %d pictures, %zu runs, %.0f s\n", pictures, runs.size(), seconds);
    std::vector<Run> parts[3];
    for (const Run& r : runs) parts[r.part].push_back(r);
    for (const Part group : {Worked, Held, Fresh})
        if (!parts[group].empty()) printTable(parts[group], PartTitles[group]);
    return 0;
}
