#include "viewer/PictureAverage.h"

#include <algorithm>

namespace rx {

PictureAverage::PictureAverage(int depth) : depth_(std::max(1, depth)) { clear(); }

void PictureAverage::clear() {
    if (taken_ == 0 && !kept_.empty()) return;  // nothing taken since the last
    taken_ = 0;
    kept_.assign(static_cast<std::size_t>(depth_), PictureStore{});
    sum_.assign(PictureStoreBytes, 0);
}

const PictureStore& PictureAverage::add(const PictureStore& picture) {
    std::vector<std::uint8_t>& slot = kept_[static_cast<std::size_t>(taken_ % depth_)].bytes;
    ++taken_;
    const std::uint32_t count = static_cast<std::uint32_t>(std::min(taken_, depth_));
    const std::uint8_t* in = picture.bytes.data();
    std::uint8_t* out = average_.bytes.data();
    for (std::size_t i = 0; i < PictureStoreBytes; ++i) {
        sum_[i] += std::uint32_t{in[i]} - slot[i];
        slot[i] = in[i];
        out[i] = static_cast<std::uint8_t>((sum_[i] + count / 2) / count);
    }
    return average_;
}

}  // namespace rx
