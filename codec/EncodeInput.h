#pragma once
// The picture that `nbtvcodec encode` sends.
#include <string>

#include "core/ScreenPicture.h"

namespace codec {

constexpr long long RawPictureBytes = 2LL * tx::PictureWords;  // 23040

// Reads INPUT as a picture file, or with rawWords as 11520 little-endian
// pixel words in the transmitter's order (row 0 at the bottom, columns
// left to right). False with a one-line errorText otherwise.
bool loadEncodeInput(const std::string& path, bool rawWords, tx::ScreenPicture& picture,
                     std::string& errorText);

}  // namespace codec
