#include "codec/SoundInput.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include <unistd.h>

#include "codec/ChannelChoice.h"

namespace codec {

namespace {

constexpr long long Chunk = 16800;

std::uint8_t eightBit(short sample) { return static_cast<std::uint8_t>((sample >> 8) + 128); }

}  // namespace

SoundInput::~SoundInput() {
    if (file_ != nullptr) sf_close(file_);
}

bool SoundInput::open(const std::string& path, const RawFormat& raw, std::string& errorText) {
    path_ = path == "-" ? "standard input" : path;
    info_ = SF_INFO{};
    if (raw.format != 0) {
        info_.format = raw.format;
        info_.samplerate = raw.rate;
        info_.channels = raw.channels;
    }
    if (path == "-") {
        stream_ = std::make_unique<StreamInput>(STDIN_FILENO);
        SF_VIRTUAL_IO io = StreamInput::callbacks();
        file_ = sf_open_virtual(&io, SFM_READ, &info_, stream_.get());
        stream_->opened();
    } else {
        file_ = sf_open(path.c_str(), SFM_READ, &info_);
    }
    if (file_ == nullptr) {
        errorText = "cannot read " + path_ + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info_.channels < 1) {
        errorText = "cannot read " + path_ + ": it has no channels";
        return false;
    }
    const std::string rateProblem = inputRateProblem(info_.samplerate);
    if (!rateProblem.empty()) {
        errorText = "cannot decode " + path_ + ": " + rateProblem;
        return false;
    }
    // Compressed floating-point samples beyond full scale clip instead of
    // wrapping.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

long long SoundInput::readFrames(short* into, long long frames, std::string& errorText) {
    const auto channels = static_cast<std::size_t>(info_.channels);
    long long done = 0;
    while (done < frames && keptUsed_ < kept_.size()) {
        const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(frames - done) * channels,
                                                       kept_.size() - keptUsed_);
        std::copy_n(kept_.begin() + static_cast<std::ptrdiff_t>(keptUsed_), take, into + done * channels);
        keptUsed_ += take;
        done += static_cast<long long>(take / channels);
    }
    if (keptUsed_ == kept_.size() && !kept_.empty()) {
        kept_ = {};
        keptUsed_ = 0;
    }
    if (done == frames) return done;
    const sf_count_t got = readShorts(into + done * channels, frames - done);
    if (got < frames - done && sf_error(file_) != SF_ERR_NO_ERROR) {
        errorText = "cannot read " + path_ + ": " + sf_strerror(file_);
        return -1;
    }
    return done + got;
}

sf_count_t SoundInput::readShorts(short* into, sf_count_t frames) {
    const int subformat = info_.format & SF_FORMAT_SUBMASK;
    if (subformat != SF_FORMAT_FLOAT && subformat != SF_FORMAT_DOUBLE) return sf_readf_short(file_, into, frames);
    // The library reads floating-point samples into 16 bits unscaled (1.0
    // becomes 1): they are read as floats, full scale 1.0, and scaled as
    // the library scales 16-bit samples to floats, so a float file made
    // from 16-bit samples gives them back.
    const auto count = static_cast<std::size_t>(frames) * static_cast<std::size_t>(info_.channels);
    if (floats_.size() < count) floats_.resize(count);
    const sf_count_t got = sf_readf_float(file_, floats_.data(), frames);
    for (std::size_t i = 0; i < static_cast<std::size_t>(std::max<sf_count_t>(got, 0)) * info_.channels; ++i) {
        const float v = floats_[i] * 32768.0f;
        into[i] = v >= 32767.0f ? 32767 : v <= -32768.0f ? -32768 : v == v ? static_cast<short>(std::lrint(v)) : 0;
    }
    return got;
}

std::vector<double> SoundInput::channelEnergies(double seconds, std::string& errorText) {
    // At most a few megabytes, whatever the rate and channels claim.
    constexpr long long MostSamples = 1LL << 22;
    const long long frames = std::clamp(std::llround(seconds * info_.samplerate), 2LL, MostSamples / info_.channels);
    std::vector<short> start(static_cast<std::size_t>(frames) * static_cast<std::size_t>(info_.channels));
    const long long got = readFrames(start.data(), frames, errorText);
    if (got < 0) return {};
    start.resize(static_cast<std::size_t>(got) * static_cast<std::size_t>(info_.channels));
    // The spectrum of a power-of-two length is quick to make for any file.
    const std::size_t length = got < 2 ? static_cast<std::size_t>(got) : std::bit_floor(static_cast<std::size_t>(got));
    std::vector<double> energies = bandEnergies(start.data(), length, info_.channels, info_.samplerate);
    kept_ = std::move(start);
    keptUsed_ = 0;
    return energies;
}

bool SoundInput::resampleTo(int rate, std::string& errorText) {
    resampler_ = std::make_unique<Resampler>();
    return resampler_->start(info_.samplerate, rate, errorText);
}

long long SoundInput::read(std::uint8_t* bytes, long long count, std::string& errorText) {
    if (resampler_) return readResampled(bytes, count, errorText);
    const auto channels = static_cast<std::size_t>(info_.channels);
    if (scratch_.size() < static_cast<std::size_t>(Chunk) * channels)
        scratch_.resize(static_cast<std::size_t>(Chunk) * channels);
    long long done = 0;
    while (done < count) {
        const long long wanted = std::min(Chunk, count - done);
        const long long got = readFrames(scratch_.data(), wanted, errorText);
        if (got < 0) return -1;
        for (long long i = 0; i < got; ++i)
            bytes[done + i] = eightBit(scratch_[static_cast<std::size_t>(i) * channels + channel_]);
        done += got;
        if (got < wanted) break;
    }
    return done;
}

long long SoundInput::readResampled(std::uint8_t* bytes, long long count, std::string& errorText) {
    const auto channels = static_cast<std::size_t>(info_.channels);
    long long done = 0;
    while (done < count) {
        if (resampledUsed_ < resampled_.size()) {
            const long long take = std::min<long long>(count - done, static_cast<long long>(resampled_.size() - resampledUsed_));
            for (long long i = 0; i < take; ++i) {
                const float v = resampled_[resampledUsed_ + static_cast<std::size_t>(i)];
                // Rounded to the nearest 16-bit value, halves to even; NaN
                // cannot come out of finite input.
                const long s = std::clamp(std::lrint(std::clamp(v, -40000.0f, 40000.0f)), -32768L, 32767L);
                bytes[done + i] = eightBit(static_cast<short>(s));
            }
            resampledUsed_ += static_cast<std::size_t>(take);
            done += take;
            continue;
        }
        if (inputEnded_) break;
        resampled_.clear();
        resampledUsed_ = 0;
        // Only as much input as the output still wanted needs: a file at a
        // very low rate gives many samples for each of its own.
        const double perInput = std::max(1.0, resampler_->ratio());
        const long long wanted = std::clamp(static_cast<long long>((count - done) / perInput) + 16, 1LL, Chunk);
        if (scratch_.size() < static_cast<std::size_t>(wanted) * channels)
            scratch_.resize(static_cast<std::size_t>(wanted) * channels);
        const long long got = readFrames(scratch_.data(), wanted, errorText);
        if (got < 0) return -1;
        resampleIn_.resize(static_cast<std::size_t>(got));
        for (long long i = 0; i < got; ++i)
            resampleIn_[static_cast<std::size_t>(i)] = scratch_[static_cast<std::size_t>(i) * channels + channel_];
        if (got < wanted) inputEnded_ = true;
        if (got > 0 && !resampler_->process(resampleIn_.data(), resampleIn_.size(), resampled_, errorText)) return -1;
        if (inputEnded_ && !resampler_->process(nullptr, 0, resampled_, errorText)) return -1;
    }
    return done;
}

}  // namespace codec
