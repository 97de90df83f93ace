#include "viewer/LineTiming.h"

#include <cmath>

namespace rx {

bool isSyncSample(float v, int syncLevel) {
    // 100 * v is exact in double, so this is the floor of the true product.
    return std::floor(100.0 * static_cast<double>(v)) >
           static_cast<double>(std::int64_t{syncLevel} - 128);
}

void scanFrame(const float* videoSignal, const ReceiverSettings& settings, PictureStore& store) {
    // Local copies: the picture's byte stores cannot touch them, so they
    // stay in registers.
    const ReceiverSettings local = settings;
    std::uint8_t* const bytes = store.bytes.data();
    forEachLineSample(videoSignal, local, [bytes, &local](int k, int r, float v) {
        plotSample(bytes, k, r, v, local);
    });
}

}  // namespace rx
