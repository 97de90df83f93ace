#include "viewer/PictureStore.h"

#include <cmath>

namespace rx {

double pictureLevel(const float* videoSignal) {
    return std::floor(1000.0 * static_cast<double>(videoSignal[PictureLevelPosition]));
}

}  // namespace rx
