#pragma once
// Reading a picture file as a transmitter picture.
#include <string>

#include "core/ScreenPicture.h"

namespace platform {

// Reads any picture file Qt reads, scales it to 96 x 120 pixels when it
// has another size and converts it to pixel words as the screen grab does,
// the file's top row becoming row 119. A picture with an alpha channel is
// composed over white first. False with a one-line errorText when
// the file is missing, unreadable or holds no pixels.
bool readPictureFile(const std::string& path, tx::ScreenPicture& picture, std::string& errorText);

}  // namespace platform
