#pragma once
// A ring whose size is a power of two (the place of sample n is n & mask)
// is read or written in at most two pieces: from a sample's place up to
// the ring's end, then on from its start.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace rx {

// For `count` samples from sample `first`: piece(done, at, n) for each
// piece, `done` samples after `first`, `n` samples from ring place `at`.
template <class Piece>
void forRingPieces(std::int64_t first, std::size_t count, std::size_t mask, Piece piece) {
    for (std::size_t done = 0; done < count;) {
        const std::size_t at = static_cast<std::size_t>(first + static_cast<std::int64_t>(done)) & mask;
        const std::size_t n = std::min(count - done, mask + 1 - at);
        piece(done, at, n);
        done += n;
    }
}

}  // namespace rx
