#include "viewer/PictureStore.h"

#include <cmath>

double pictureLevel(const float* videoSignal) {
    return std::floor(1000.0 * static_cast<double>(videoSignal[PictureLevelPosition]));
}
