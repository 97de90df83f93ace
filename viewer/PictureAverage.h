#pragma once
// Noise reduction for a still picture: the average of the last few
// pictures, pixel by pixel.
#include <cstdint>
#include <vector>

#include "viewer/PictureStore.h"

namespace rx {

class PictureAverage {
public:
    explicit PictureAverage(int depth = 4);
    void clear();
    int depth() const { return depth_; }
    // Takes the picture as it stands; returns the average of the last
    // `depth` pictures taken (of all of them while fewer), each byte
    // rounded to the nearest level, halves up.
    const PictureStore& add(const PictureStore& picture);

private:
    int depth_;
    int taken_ = 0;
    std::vector<PictureStore> kept_;
    std::vector<std::uint32_t> sum_;
    PictureStore average_;
};

}  // namespace rx
