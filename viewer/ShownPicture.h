#pragma once
// The shown part of the picture store as an upright grey picture.
#include <cstdint>

#include "viewer/PictureStore.h"

namespace rx {

// Writes PictureWidth x ShownRows grey bytes, top row (store row 119)
// first. Every stored pixel is grey, so one byte of each tells its level.
void shownGreyPicture(const PictureStore& store, std::uint8_t* grey);

}  // namespace rx
