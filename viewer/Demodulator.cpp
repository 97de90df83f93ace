#include "viewer/Demodulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "viewer/DemodulatorFilters.h"

// Every product and sum below is rounded on its own; a fused multiply-add
// would change the filtered values.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace rx {

namespace {

// The reference is at a quarter of the sample rate, so the mixer multiplies
// by sine 0, 1, 0, -1 and cosine 1, 0, -1, 0. At every position one of the
// two products is exactly zero: the sine product is non-zero only at odd
// positions, the cosine product only at even ones. The filters therefore
// read the non-zero products alone, kept interleaved by position: position
// 2u holds the cosine product and 2u+1 the sine product, both carrying the
// sign +1 for even u and -1 for odd u. Leaving out terms that are exactly
// zero changes no sum: they add nothing to a non-zero partial sum, and a
// sum that is zero is +0 either way because every filter has positive
// coefficients.
//
// Pair u = (cosine product at 2u, sine product at 2u+1). With the filter's
// terms split by even offsets k = 2j and odd offsets k = 2j+1:
//   even terms over pairs t+j give (FilteredQ[2t], FilteredI[2t+1]),
//   odd terms over pairs t+j give (FilteredQ[2t-1], FilteredI[2t]).
// Both halves of a pair take the same coefficients, so each pair of sums is
// formed with two-lane double arithmetic, each lane in the filter's order.

#if defined(__GNUC__)
typedef double Pair __attribute__((vector_size(16)));
inline Pair loadPair(const double* p) {
    Pair pair;
    std::memcpy(&pair, p, sizeof pair);
    return pair;
}
#else
// Compilers without vector types get the same sums one lane at a time.
struct Pair {
    double lane[2];
    double operator[](int i) const { return lane[i]; }
    Pair& operator+=(const Pair& b) {
        lane[0] += b.lane[0];
        lane[1] += b.lane[1];
        return *this;
    }
};
inline Pair operator*(double c, const Pair& p) { return Pair{{c * p.lane[0], c * p.lane[1]}}; }
inline Pair loadPair(const double* p) { return Pair{{p[0], p[1]}}; }
#endif

struct PairTerm {
    int pair;
    double coefficient;
};

constexpr std::size_t countTerms(const FilterTerm* terms, int parity) {
    std::size_t count = 0;
    for (std::size_t j = 0; j < FilterTermCount; ++j)
        if (terms[j].offset % 2 == parity) ++count;
    return count;
}

template <std::size_t Count>
constexpr std::array<PairTerm, Count> pickTerms(const FilterTerm* terms, int parity) {
    std::array<PairTerm, Count> picked{};
    std::size_t next = 0;
    for (std::size_t j = 0; j < FilterTermCount; ++j)
        if (terms[j].offset % 2 == parity)
            picked[next++] = PairTerm{terms[j].offset / 2, terms[j].coefficient};
    return picked;
}

template <const FilterTerm* Terms>
struct SplitFilter {
    static constexpr std::size_t evenCount = countTerms(Terms, 0);
    static constexpr std::size_t oddCount = countTerms(Terms, 1);
    static constexpr std::array<PairTerm, evenCount> even = pickTerms<evenCount>(Terms, 0);
    static constexpr std::array<PairTerm, oddCount> odd = pickTerms<oddCount>(Terms, 1);
};

// The sums over pairs t, t+1, ...: `pairs` points at pair t, two doubles
// per pair.
template <std::size_t Count>
inline Pair sumTerms(const double* pairs, const std::array<PairTerm, Count>& terms) {
    Pair sum = terms[0].coefficient * loadPair(pairs + 2 * terms[0].pair);
#pragma GCC unroll 24
    for (std::size_t j = 1; j < Count; ++j)
        sum += terms[j].coefficient * loadPair(pairs + 2 * terms[j].pair);
    return sum;
}

// Last position the mixer writes: the end of the group of four that holds
// position N+1.
int mixerEnd(int n) { return 4 * ((n + 1) / 4) + 3; }

// Pairs 0..(N+2)/2 are filtered; each reads up to 11 pairs ahead.
std::size_t pairCount(int n) { return static_cast<std::size_t>((n + 2) / 2 + 12); }

void growTo(std::vector<float>& array, std::size_t length) {
    if (array.size() < length) array.resize(length, 0.0f);
}

// Zeroes positions [from, to) of an array, as far as it reaches.
template <typename T>
void clearRange(std::vector<T>& array, std::size_t from, std::size_t to) {
    to = std::min(to, array.size());
    if (from < to) std::fill(array.begin() + static_cast<std::ptrdiff_t>(from),
                             array.begin() + static_cast<std::ptrdiff_t>(to), T(0));
}

void mix(const std::uint8_t* x, int n, FrameArrays& a) {
    float* mixedI = a.mixedI.data();
    float* mixedQ = a.mixedQ.data();
    double* pairs = a.mixedPairs.data();
    for (int g = 0; g <= n + 1; g += 4) {
        const int s0 = x[g] - 128, s1 = x[g + 1] - 128, s2 = x[g + 2] - 128, s3 = x[g + 3] - 128;
        mixedI[g] = 0.0f;
        mixedI[g + 1] = static_cast<float>(s1);
        mixedI[g + 2] = 0.0f;
        mixedI[g + 3] = static_cast<float>(-s3);
        mixedQ[g] = static_cast<float>(s0);
        mixedQ[g + 1] = 0.0f;
        mixedQ[g + 2] = static_cast<float>(-s2);
        mixedQ[g + 3] = 0.0f;
        pairs[g] = s0;
        pairs[g + 1] = s1;
        pairs[g + 2] = -s2;
        pairs[g + 3] = -s3;
    }
    // Beyond the mixer's last group the filters see zeros.
    clearRange(a.mixedPairs, static_cast<std::size_t>(mixerEnd(n)) + 1, 2 * pairCount(n));
}

template <const FilterTerm* Terms>
void filter(int n, FrameArrays& a) {
    using Split = SplitFilter<Terms>;
    const double* pairs = a.mixedPairs.data();
    float* filteredI = a.filteredI.data();
    float* filteredQ = a.filteredQ.data();
    const int lastPair = (n + 2) / 2;
    for (int t = 0; t <= lastPair; ++t) {
        const Pair even = sumTerms(pairs + 2 * t, Split::even);
        const Pair odd = sumTerms(pairs + 2 * t, Split::odd);
        filteredQ[2 * t] = static_cast<float>(even[0]);
        filteredI[2 * t + 1] = static_cast<float>(even[1]);
        filteredI[2 * t] = static_cast<float>(odd[1]);
        if (t > 0) filteredQ[2 * t - 1] = static_cast<float>(odd[0]);
    }
    // The last pass also filled a position or two past N+1; only 0..N+1 are
    // filter output.
    const auto end = static_cast<std::size_t>(2 * lastPair + 2);
    clearRange(a.filteredI, static_cast<std::size_t>(n) + 2, end);
    clearRange(a.filteredQ, static_cast<std::size_t>(n) + 2, end);
}

void detectAM(int n, bool inverted, FrameArrays& a) {
    const float* fi = a.filteredI.data();
    const float* fq = a.filteredQ.data();
    float* video = a.videoSignal.data();
    for (int i = 0; i <= n + 1; ++i) {
        const double in = fi[i], quad = fq[i];
        double v = 0.5 * std::sqrt(in * in + quad * quad);
        if (inverted) v = -v;
        video[i] = static_cast<float>(v);
    }
}

// The cross product of the previous and the current filtered pair over the
// current pair's squared magnitude: the sine of the phase advance per sample
// against the reference. Exact silence gives 0/0, a not-a-number that is
// stored as it is. Position 0 has no predecessor and holds 0.
void detectFM(int n, bool inverted, FrameArrays& a) {
    const float* fi = a.filteredI.data();
    const float* fq = a.filteredQ.data();
    float* video = a.videoSignal.data();
    video[0] = 0.0f;
    for (int i = 1; i <= n + 1; ++i) {
        const double prevI = fi[i - 1], prevQ = fq[i - 1], in = fi[i], quad = fq[i];
        double v = (prevI * quad - prevQ * in) / (in * in + quad * quad);
        if (inverted) v = -v;
        video[i] = static_cast<float>(v);
    }
}

}  // namespace

int usableFrameSamples(int frameSamples) {
    return std::clamp(frameSamples, 1, MaxFrameSamples);
}

std::size_t workingArrayLength(int frameSamples) {
    const auto n = static_cast<std::size_t>(usableFrameSamples(frameSamples));
    return std::max(2 * n + 1, n + FilterReach + 2);
}

FrameArrays makeFrameArrays(int frameSamples) {
    const std::size_t length = workingArrayLength(frameSamples);
    FrameArrays a;
    a.mixedI.assign(length, 0.0f);
    a.mixedQ.assign(length, 0.0f);
    a.filteredI.assign(length, 0.0f);
    a.filteredQ.assign(length, 0.0f);
    a.videoSignal.assign(VideoSignalLength, 0.0f);
    a.mixedPairs.assign(2 * pairCount(usableFrameSamples(frameSamples)), 0.0);
    return a;
}

void demodulate(const std::uint8_t* captureBuffer, const ReceiverSettings& settings,
                FrameArrays& a) {
    const int n = usableFrameSamples(settings.frameSamples);
    const std::size_t length = workingArrayLength(n);
    growTo(a.mixedI, length);
    growTo(a.mixedQ, length);
    growTo(a.filteredI, length);
    growTo(a.filteredQ, length);
    growTo(a.videoSignal, VideoSignalLength);
    if (a.mixedPairs.size() < 2 * pairCount(n)) a.mixedPairs.resize(2 * pairCount(n), 0.0);

    mix(captureBuffer, n, a);
    switch (settings.lowPassCutoff) {
        case 800: filter<LowPass800>(n, a); break;
        case 1200: filter<LowPass1200>(n, a); break;
        default: filter<LowPass1500>(n, a); break;
    }
    const bool inverted = settings.polarity != 1;
    if (settings.demodMode == DemodAM)
        detectAM(n, inverted, a);
    else
        detectFM(n, inverted, a);

    // Reading past the frame's end continues with the frame's start.
    float* video = a.videoSignal.data();
    std::memcpy(video + n + 2, video + 2, static_cast<std::size_t>(n) * sizeof(float));

    // Whatever a longer earlier frame left beyond this frame's reach goes
    // back to zero.
    const int previous = a.demodulatedSamples;
    if (previous > n) {
        const auto un = static_cast<std::size_t>(n), up = static_cast<std::size_t>(previous);
        const auto mixed = static_cast<std::size_t>(mixerEnd(n)) + 1;
        const auto mixedBefore = static_cast<std::size_t>(mixerEnd(previous)) + 1;
        clearRange(a.mixedI, mixed, mixedBefore);
        clearRange(a.mixedQ, mixed, mixedBefore);
        clearRange(a.filteredI, un + 2, up + 2);
        clearRange(a.filteredQ, un + 2, up + 2);
        clearRange(a.videoSignal, 2 * un + 2, 2 * up + 2);
        clearRange(a.mixedPairs, 2 * pairCount(n), 2 * pairCount(previous));
    }
    a.demodulatedSamples = n;
}

}  // namespace rx
