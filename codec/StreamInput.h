#pragma once
// Sound from a stream (standard input, a pipe) through libsndfile's virtual
// I/O, read once from start to end whatever its length.
//
// While the file is being opened, every byte read is kept, so the header
// reader may seek back anywhere; a seek forward is only remembered, and a
// later read far past the bytes already read (beyond what a header could
// hold, such as the end of a long data chunk) finds the end of the stream
// instead of consuming the samples. Once open, the kept bytes are served
// once more and dropped as they are read, and the stream is read as it
// comes.
#include <cstdint>
#include <vector>

#include <sndfile.h>

namespace codec {

class StreamInput {
public:
    explicit StreamInput(int fd) : fd_(fd) {}
    StreamInput(const StreamInput&) = delete;
    StreamInput& operator=(const StreamInput&) = delete;

    // The callbacks for sf_open_virtual, with this object as user data.
    static SF_VIRTUAL_IO callbacks();
    // Called once libsndfile has opened the stream.
    void opened() { opening_ = false; }

private:
    sf_count_t read(void* into, sf_count_t count);
    sf_count_t seek(sf_count_t offset, int whence);
    bool fetch(sf_count_t upTo);  // reads from the descriptor until `upTo` is held

    int fd_;
    bool opening_ = true;
    bool ended_ = false;
    sf_count_t base_ = 0;      // stream position of kept_[0]
    sf_count_t position_ = 0;  // where libsndfile reads next
    std::vector<std::uint8_t> kept_;
};

}  // namespace codec
