#include "codec/StreamInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "codec/Interruption.h"

namespace codec {

namespace {

// The length a stream claims: as good as endless, yet far from overflowing
// any sum libsndfile forms with it.
constexpr sf_count_t StreamLength = sf_count_t{1} << 50;
// A jump forward while opening beyond this many bytes is taken as a look
// past the samples, not a header chunk to skip.
constexpr sf_count_t HeaderReach = sf_count_t{16} << 20;

StreamInput& self(void* data) { return *static_cast<StreamInput*>(data); }

}  // namespace

SF_VIRTUAL_IO StreamInput::callbacks() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void*) { return StreamLength; };
    io.seek = [](sf_count_t offset, int whence, void* data) { return self(data).seek(offset, whence); };
    io.read = [](void* into, sf_count_t count, void* data) { return self(data).read(into, count); };
    io.write = [](const void*, sf_count_t, void*) { return sf_count_t{0}; };
    io.tell = [](void* data) { return self(data).position_; };
    return io;
}

bool StreamInput::fetch(sf_count_t upTo) {
    std::uint8_t chunk[65536];
    while (!ended_ && base_ + static_cast<sf_count_t>(kept_.size()) < upTo) {
        const ssize_t got = ::read(fd_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR && interruption() == 0) continue;
        if (got <= 0) {
            ended_ = true;
            return false;
        }
        kept_.insert(kept_.end(), chunk, chunk + got);
    }
    return base_ + static_cast<sf_count_t>(kept_.size()) >= upTo;
}

sf_count_t StreamInput::read(void* into, sf_count_t count) {
    if (count <= 0 || position_ < base_) return 0;
    const sf_count_t end = base_ + static_cast<sf_count_t>(kept_.size());
    if (opening_ && position_ > end + HeaderReach) return 0;
    fetch(position_ + count);
    const sf_count_t held = base_ + static_cast<sf_count_t>(kept_.size());
    const sf_count_t got = std::max<sf_count_t>(0, std::min(count, held - position_));
    if (got > 0) std::memcpy(into, kept_.data() + (position_ - base_), static_cast<std::size_t>(got));
    position_ += got;
    if (!opening_) {  // what has been read once is not needed again
        kept_.erase(kept_.begin(), kept_.begin() + (position_ - base_));
        base_ = position_;
    }
    return got;
}

sf_count_t StreamInput::seek(sf_count_t offset, int whence) {
    sf_count_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? position_ + offset : StreamLength + offset;
    if (to < base_) return -1;
    position_ = to;
    return position_;
}

}  // namespace codec
