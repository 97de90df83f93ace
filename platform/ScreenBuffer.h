#pragma once
// What one buffer of a screen-cast video stream shows, whichever way a
// producer hands it over: memory the stream has mapped, a memory file or a
// DMA buffer it has not (mapped here, and a DMA buffer synchronised for
// reading), the valid part the chunk names (its offset taken modulo the
// buffer's size, its size clamped to it, 0 in a DMA buffer and a stride of
// 0 meaning the whole buffer and packed rows), and the picture inside the
// buffer that a crop region names. Private to platform/.
#include <cstddef>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wpedantic"
#include <spa/buffer/buffer.h>
#pragma GCC diagnostic pop

#include "platform/ScreenPixels.h"

namespace platform {

// Whether the buffer carries a picture: not when the producer marks it
// corrupted or a gap (header or chunk flags), nor when it only brings the
// pointer's new place (an empty memory chunk), nor when it has nothing
// that could be read.
bool bufferHoldsPicture(const spa_buffer* buffer);

// The buffer's picture as a frame of pixels, readable while this lives.
// `width` and `height` are the stream's video size.
class BufferPixels {
public:
    BufferPixels(const spa_buffer* buffer, int width, int height, PixelOrder order);
    ~BufferPixels();
    BufferPixels(const BufferPixels&) = delete;
    BufferPixels& operator=(const BufferPixels&) = delete;

    // data is null when the buffer cannot be read.
    const PixelFrame& frame() const { return frame_; }

private:
    PixelFrame frame_;
    void* mapped_ = nullptr;
    std::size_t mappedBytes_ = 0;
    int syncedFd_ = -1;  // a DMA buffer being read
};

}  // namespace platform
