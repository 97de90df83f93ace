#include "codec/SoundInput.h"

#include <algorithm>

namespace codec {

SoundInput::~SoundInput() {
    if (file_ != nullptr) sf_close(file_);
}

bool SoundInput::open(const std::string& path, std::string& errorText) {
    path_ = path;
    info_ = SF_INFO{};
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (file_ == nullptr) {
        errorText = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info_.channels < 1) {
        errorText = "cannot read " + path + ": it has no channels";
        return false;
    }
    // Floating-point samples beyond full scale clip instead of wrapping.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

long long SoundInput::read(std::uint8_t* bytes, long long count, std::string& errorText) {
    const auto channels = static_cast<std::size_t>(info_.channels);
    constexpr long long Chunk = 16800;
    if (scratch_.size() < static_cast<std::size_t>(Chunk) * channels)
        scratch_.resize(static_cast<std::size_t>(Chunk) * channels);
    long long done = 0;
    while (done < count) {
        const sf_count_t wanted = std::min(Chunk, count - done);
        const sf_count_t got = sf_readf_short(file_, scratch_.data(), wanted);
        for (sf_count_t i = 0; i < got; ++i)
            bytes[done + i] = static_cast<std::uint8_t>((scratch_[static_cast<std::size_t>(i) * channels] >> 8) + 128);
        done += got;
        if (got < wanted) {
            if (sf_error(file_) != SF_ERR_NO_ERROR) {
                errorText = "cannot read " + path_ + ": " + sf_strerror(file_);
                return -1;
            }
            break;
        }
    }
    return done;
}

}  // namespace codec
