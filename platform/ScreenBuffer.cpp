#include "platform/ScreenBuffer.h"

#include <cerrno>
#include <cstdint>

#include <linux/dma-buf.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wpedantic"
#include <spa/buffer/meta.h>
#pragma GCC diagnostic pop

namespace platform {

namespace {

// Tells the kernel that the processor starts or ends reading a DMA buffer,
// so that what the graphics card wrote is seen.
void syncDmaBuffer(int fd, std::uint64_t when) {
    dma_buf_sync sync{};
    sync.flags = when | DMA_BUF_SYNC_READ;
    while (::ioctl(fd, DMA_BUF_IOCTL_SYNC, &sync) != 0 && (errno == EINTR || errno == EAGAIN)) {
    }
}

bool mappable(const spa_data& d) {
    return d.fd >= 0 && (d.type == SPA_DATA_MemFd || d.type == SPA_DATA_DmaBuf);
}

}  // namespace

bool bufferHoldsPicture(const spa_buffer* buffer) {
    if (buffer == nullptr || buffer->n_datas < 1 || buffer->datas[0].chunk == nullptr) return false;
    const auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)));
    if (header != nullptr && (header->flags & (SPA_META_HEADER_FLAG_CORRUPTED | SPA_META_HEADER_FLAG_GAP)) != 0)
        return false;
    const spa_data& d = buffer->datas[0];
    if ((d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0) return false;
    // A screen cast sends empty memory buffers when only the pointer moved;
    // a DMA buffer's chunk often leaves its size at 0 for "all of it".
    if (d.chunk->size == 0 && d.type != SPA_DATA_DmaBuf) return false;
    return d.data != nullptr || mappable(d);
}

BufferPixels::BufferPixels(const spa_buffer* buffer, int width, int height, PixelOrder order) {
    if (!bufferHoldsPicture(buffer) || width <= 0 || height <= 0) return;
    const spa_data& d = buffer->datas[0];
    const std::uint8_t* base = static_cast<const std::uint8_t*>(d.data);
    std::size_t size = d.maxsize;
    if (base == nullptr) {
        // Not mapped by the stream: mapped here, from the start of the
        // descriptor (mmap wants a page-aligned offset), and never beyond
        // its end, where reading would fault.
        const off_t end = ::lseek(d.fd, 0, SEEK_END);
        const std::size_t held =
            end > static_cast<off_t>(d.mapoffset) ? static_cast<std::size_t>(end) - d.mapoffset : 0;
        if (size == 0 || (end >= 0 && held < size)) size = held;
        if (size == 0) return;
        mappedBytes_ = d.mapoffset + size;
        mapped_ = ::mmap(nullptr, mappedBytes_, PROT_READ, MAP_SHARED, d.fd, 0);
        if (mapped_ == MAP_FAILED) {
            mapped_ = nullptr;
            return;
        }
        base = static_cast<const std::uint8_t*>(mapped_) + d.mapoffset;
    }
    if (d.type == SPA_DATA_DmaBuf && d.fd >= 0) {
        syncedFd_ = d.fd;
        syncDmaBuffer(syncedFd_, DMA_BUF_SYNC_START);
    }
    if (size == 0) return;
    const std::size_t offset = d.chunk->offset % size;
    std::size_t valid = size - offset;
    if (d.chunk->size > 0 && d.chunk->size < valid) valid = d.chunk->size;
    const int stride = d.chunk->stride > 0 ? d.chunk->stride : width * 4;
    const std::uint8_t* top = base + offset;

    // The picture may be a part of the buffer: its crop region, when that
    // lies inside the video.
    const auto* crop = static_cast<const spa_meta_region*>(
        spa_buffer_find_meta_data(buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
    if (crop != nullptr && spa_meta_region_is_valid(crop)) {
        const spa_region& r = crop->region;
        const std::int64_t right = std::int64_t{r.position.x} + r.size.width;
        const std::int64_t bottom = std::int64_t{r.position.y} + r.size.height;
        const std::size_t skip = r.position.x < 0 || r.position.y < 0
                                     ? valid
                                     : static_cast<std::size_t>(r.position.y) * static_cast<std::size_t>(stride) +
                                           static_cast<std::size_t>(r.position.x) * 4;
        if (right <= width && bottom <= height && skip < valid) {
            top += skip;
            valid -= skip;
            width = static_cast<int>(r.size.width);
            height = static_cast<int>(r.size.height);
        }
    }
    frame_.data = top;
    frame_.size = valid;
    frame_.width = width;
    frame_.height = height;
    frame_.stride = stride;
    frame_.order = order;
}

BufferPixels::~BufferPixels() {
    if (syncedFd_ >= 0) syncDmaBuffer(syncedFd_, DMA_BUF_SYNC_END);
    if (mapped_ != nullptr) ::munmap(mapped_, mappedBytes_);
}

}  // namespace platform
