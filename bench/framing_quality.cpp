// Signal quality of automatic framing: the encoder's sound of a test card
// through a voice channel into nbtvcodec decode --auto, against the plain
// receiver started at the best sample offset. Run by bench/framing-quality,
// which makes the card and the encoder's files:
//   framing_quality CARD.pgm PLAIN.wav SYNC.wav WORKDIR
// Channel, in order: a random start, the receiving card's clock error
// (every frame 1 + ppm longer), a 300-2700 Hz band-pass, mistuning (a
// frequency shift of up to 50 Hz), white noise at the given SNR over the
// whole 5 kHz band, 8 bits. Score: correlation of the shown 96 x 120
// picture with the card, no shift allowed, averaged over every frame after
// the first three (the reference over the same frames). Environment:
// FRAMING_QUALITY_SEED (other starts, mistunings and noise),
// FRAMING_QUALITY_CASE=ppm,snr,sync (one row; snr 0 is clean, sync 0/1),
// FRAMING_QUALITY_FRAMES (every frame's scores on standard error).
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "codec/Codec.h"
#include "tests/common/SentSignal.h"
#include "viewer/AutoFraming.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/Demodulator.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureAverage.h"
#include "viewer/PictureStore.h"

namespace {

constexpr double Rate = 10000;
constexpr int Skipped = 3;      // frames not scored: the first three
constexpr int FilterReach = 128;

std::vector<double> readWav(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "framing_quality: cannot read %s\n", path.c_str());
        std::exit(1);
    }
    std::vector<short> all(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_short(file, all.data(), info.frames);
    sf_close(file);
    std::vector<double> left;
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(info.channels)) left.push_back(all[i]);
    return left;
}

// The card, top row first.
std::vector<double> readPgm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    std::vector<double> grey(static_cast<std::size_t>(w * h));
    for (auto& g : grey) g = static_cast<unsigned char>(in.get());
    if (magic != "P5" || w != 96 || h != 120) {
        std::fprintf(stderr, "framing_quality: %s is not a 96 x 120 binary PGM\n", path.c_str());
        std::exit(1);
    }
    return grey;
}

std::vector<double> convolve(const std::vector<double>& x, const std::vector<double>& h) {
    // Symmetric taps of 2 FilterReach + 1: the delay is taken out.
    std::vector<double> y(x.size(), 0.0);
    const long n = static_cast<long>(x.size());
    for (long i = 0; i < n; ++i) {
        double sum = 0;
        for (long k = -FilterReach; k <= FilterReach; ++k) {
            const long j = i - k;
            if (j >= 0 && j < n) sum += h[static_cast<std::size_t>(k + FilterReach)] * x[static_cast<std::size_t>(j)];
        }
        y[static_cast<std::size_t>(i)] = sum;
    }
    return y;
}

double blackman(long k) {
    const double t = std::numbers::pi * (k + FilterReach) / (2.0 * FilterReach);
    return 0.42 - 0.5 * std::cos(2 * t) + 0.08 * std::cos(4 * t);
}

std::vector<double> bandPass(double low, double high) {
    std::vector<double> h(2 * FilterReach + 1);
    for (long k = -FilterReach; k <= FilterReach; ++k) {
        auto lowPass = [k](double f) {
            const double w = 2 * f / Rate;
            return k == 0 ? w : std::sin(std::numbers::pi * w * k) / (std::numbers::pi * k);
        };
        h[static_cast<std::size_t>(k + FilterReach)] = (lowPass(high) - lowPass(low)) * blackman(k);
    }
    return h;
}

std::vector<double> hilbert() {
    std::vector<double> h(2 * FilterReach + 1, 0.0);
    for (long k = -FilterReach; k <= FilterReach; ++k)
        if (k % 2 != 0) h[static_cast<std::size_t>(k + FilterReach)] = 2.0 / (std::numbers::pi * k) * blackman(k);
    return h;
}

struct Channel {
    double ppm;
    double snr;  // dB; 0 means no noise
    double start;
    double mistune;
};

std::vector<std::uint8_t> impair(const std::vector<double>& sent, const Channel& c, std::mt19937& random) {
    std::vector<double> x = recorded(sent, c.ppm, c.start);
    x = convolve(x, bandPass(300, 2700));
    const std::vector<double> quadrature = convolve(x, hilbert());
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double phase = 2 * std::numbers::pi * c.mistune * static_cast<double>(n) / Rate;
        x[n] = x[n] * std::cos(phase) - quadrature[n] * std::sin(phase);
    }
    if (c.snr > 0) {
        double power = 0;
        for (double v : x) power += v * v;
        power /= static_cast<double>(x.size());
        std::normal_distribution<double> noise(0.0, std::sqrt(power / std::pow(10.0, c.snr / 10)));
        for (double& v : x) v += noise(random);
    }
    return eightBit(x);
}

double correlation(const std::uint8_t* store, const std::vector<double>& card) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    const double n = 96.0 * 120.0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 96; ++x) {
            const double a = store[(static_cast<std::size_t>(119 - y) * rx::PictureRowBytes) + static_cast<std::size_t>(x) * 3];
            const double b = card[static_cast<std::size_t>(y * 96 + x)];
            sa += a;
            sb += b;
            saa += a * a;
            sbb += b * b;
            sab += a * b;
        }
    const double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

rx::ReceiverSettings settingsFor(bool sync) {
    rx::ReceiverSettings s;
    s.sampleRate = 10000;
    s.frameSamples = 3841;
    s.lineSamples = sync ? 119 : 120;
    s.syncLevel = 128;
    s.syncOn = sync ? 1 : -1;
    s.framePicture = s.bufferTurn = s.polarity = 1;
    s.lowPassCutoff = 1500;
    s.demodMode = rx::DemodFM;
    const rx::Levels levels = rx::calibratedLevels(s);
    s.brightness = levels.brightness;
    s.contrast = levels.contrast;
    return s;
}

// The plain receiver's picture after sent frame k, its buffers started at
// the best offset near the frame's true start (searched over +-8 samples).
double referenceScore(const std::vector<std::uint8_t>& sound, const Channel& c, int k, bool sync,
                      const std::vector<double>& card, rx::PictureStore& bestStore) {
    const rx::ReceiverSettings s = settingsFor(sync);
    const double frameStart = (3841.0 * k - c.start) * (1 + c.ppm * 1e-6);
    const long guess = std::lround(frameStart) + 1 - rx::demodulatorDelay(s.lowPassCutoff);
    double best = -1;
    std::vector<std::uint8_t> buffer(rx::CaptureBufferBytes + rx::CaptureBufferSlack, 0);
    rx::FrameArrays arrays = rx::makeFrameArrays(3841);
    for (long o = guess - 8; o <= guess + 8; ++o) {
        if (o - 3841 < 0 || o + 3846 > static_cast<long>(sound.size())) continue;
        rx::PictureStore store;
        for (long start : {o - 3841, o}) {
            // As a capture buffer: the frame, then what an earlier frame left.
            std::copy_n(sound.begin() + start, 3841, buffer.begin());
            rx::demodulate(buffer.data(), s, arrays);
            rx::scanFrame(arrays.videoSignal.data(), s, store);
        }
        const double score = correlation(store.bytes.data(), card);
        if (score > best) {
            best = score;
            bestStore = store;
        }
    }
    return best;
}

void writeU8Wav(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    SF_INFO info{};
    info.samplerate = 10000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<short> samples;
    for (std::uint8_t b : bytes) samples.push_back(static_cast<short>((b - 128) * 256));
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

// nbtvcodec decode --auto on the impaired file; the per-frame stores.
std::vector<double> autoScores(const std::string& wav, const std::string& dump, bool sync, int average,
                               const std::vector<double>& card) {
    std::vector<std::string> args = {wav, "--auto", "--dump-store", dump};
    if (sync) args.push_back("--sync");
    if (average > 1) {
        args.push_back("--average");
        args.push_back(std::to_string(average));
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::vector<double> scores;
    if (runDecode(static_cast<int>(argv.size()), argv.data()) != 0) return scores;
    std::ifstream in(dump, std::ios::binary);
    std::vector<char> store(rx::PictureStoreBytes);
    while (in.read(store.data(), static_cast<std::streamsize>(store.size())))
        scores.push_back(correlation(reinterpret_cast<const std::uint8_t*>(store.data()), card));
    return scores;
}

double meanFrom(const std::vector<double>& v, std::size_t from) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from; i < v.size(); ++i, ++n) sum += v[i];
    return n > 0 ? sum / static_cast<double>(n) : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: framing_quality CARD.pgm PLAIN.wav SYNC.wav WORKDIR\n");
        return 2;
    }
    const std::vector<double> card = readPgm(argv[1]);
    const std::vector<double> sent[2] = {readWav(argv[2]), readWav(argv[3])};
    const std::string work = argv[4];
    // FRAMING_QUALITY_SEED draws other starts, mistunings and noise.
    const char* seed = std::getenv("FRAMING_QUALITY_SEED");
    std::mt19937 random(seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261208u);

    std::printf("%6s %5s %4s %9s %9s %7s %7s %9s\n", "ppm", "SNR", "sync", "reference", "auto", "diff",
                "lock s", "average4 (framed by hand)");
    const double snrs[] = {0, 20, 15, 10};
    for (int sync = 0; sync < 2; ++sync)
        for (double snr : snrs)
            for (double ppm : {-500.0, -300.0, 0.0, 300.0, 500.0}) {
                if (snr > 0 && std::abs(ppm) == 500) continue;  // the noisy rows at +-300 and 0
                Channel c{ppm, snr, std::uniform_real_distribution<double>(0, 3841)(random),
                          std::uniform_real_distribution<double>(-50, 50)(random)};
                const std::vector<std::uint8_t> sound = impair(sent[sync], c, random);
                // FRAMING_QUALITY_CASE=ppm,snr,sync (snr 0: clean) runs that row alone.
                if (const char* only = std::getenv("FRAMING_QUALITY_CASE"); only != nullptr) {
                    char row[64];
                    std::snprintf(row, sizeof row, "%.0f,%.0f,%d", ppm, snr, sync);
                    if (std::string(only) != row) continue;
                }
                const std::string wav = work + "/case.wav";
                writeU8Wav(wav, sound);

                double reference = 0;
                int counted = 0;
                // The same frames as the automatic score counts: every one
                // after the first three (sent frame k is the k-th cut).
                const double recordedFrame = 3841 * (1 + c.ppm * 1e-6);
                const int lastFrame = static_cast<int>((static_cast<double>(sound.size()) - 16) / recordedFrame + c.start / 3841) - 1;
                // And the reference's pictures averaged four at a time: what
                // noise reduction could give with perfect framing.
                rx::PictureAverage ideal(4);
                double idealSum = 0;
                int idealCount = 0;
                for (int k = Skipped; k <= lastFrame; ++k, ++counted) {
                    rx::PictureStore picture;
                    const double score = referenceScore(sound, c, k, sync != 0, card, picture);
                    const rx::PictureStore& averagedPicture = ideal.add(picture);
                    if (k >= Skipped + 4) {
                        idealSum += correlation(averagedPicture.bytes.data(), card);
                        ++idealCount;
                    }
                    if (std::getenv("FRAMING_QUALITY_FRAMES") != nullptr) std::fprintf(stderr, "r%.3f ", score);
                    reference += score;
                }
                if (std::getenv("FRAMING_QUALITY_FRAMES") != nullptr) std::fprintf(stderr, "\n");
                reference /= counted;
                const std::vector<double> scores = autoScores(wav, work + "/case.store", sync != 0, 1, card);
                const double automatic = meanFrom(scores, Skipped);
                if (std::getenv("FRAMING_QUALITY_FRAMES") != nullptr) {
                    for (double v : scores) std::fprintf(stderr, " %.3f", v);
                    std::fprintf(stderr, "\n");
                }

                rx::FramingTracker tracker;
                tracker.feed(sound.data(), sound.size());
                const double lock = tracker.lockedAt() >= 0 ? tracker.lockedAt() / Rate : -1;
                std::string averaged = "-";
                if (snr == 10) {
                    const std::vector<double> a = autoScores(wav, work + "/case.store", sync != 0, 4, card);
                    averaged = std::to_string(meanFrom(a, Skipped + 4)).substr(0, 5) + " (" +
                               std::to_string(idealSum / std::max(idealCount, 1)).substr(0, 5) + ")";
                }
                std::printf("%+6.0f %5s %4s %9.3f %9.3f %+7.3f %7.2f %9s\n", ppm,
                            snr > 0 ? std::to_string(static_cast<int>(snr)).c_str() : "clean", sync ? "on" : "off",
                            reference, automatic, automatic - reference, lock, averaged.c_str());
                std::fflush(stdout);
            }
    return 0;
}
