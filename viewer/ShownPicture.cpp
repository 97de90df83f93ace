#include "viewer/ShownPicture.h"

#include <cstddef>

namespace rx {

void shownGreyPicture(const PictureStore& store, std::uint8_t* grey) {
    for (int y = 0; y < ShownRows; ++y) {
        const std::uint8_t* row =
            store.bytes.data() + static_cast<std::size_t>(ShownRows - 1 - y) * PictureRowBytes;
        for (int x = 0; x < PictureWidth; ++x) grey[y * PictureWidth + x] = row[x * BytesPerPixel + 1];
    }
}

}  // namespace rx
