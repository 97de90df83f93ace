#include "viewer/LineTiming.h"

#include <cmath>

bool isSyncSample(float v, int syncLevel) {
    // 100 * v is exact in double, so this is the floor of the true product.
    return std::floor(100.0 * static_cast<double>(v)) >
           static_cast<double>(std::int64_t{syncLevel} - 128);
}

void scanFrame(const float* videoSignal, const ReceiverSettings& settings, PictureStore& store) {
    forEachLineSample(videoSignal, settings, [&](int k, int r, float v) {
        plotSample(store, k, r, v, settings);
    });
}
