#pragma once
// The PipeWire video stream of one monitor, as the desktop portal hands it
// out: buffers of 32-bit RGB pixels in any memory the processor can read
// (platform/ScreenBuffer.h says how each is read). The stream runs on a
// thread of its own; the newest frame is held back from the producer until
// a newer one arrives, so a region can be cut from it at any time.
#include <cstdint>
#include <memory>

#include "core/ScreenPicture.h"

namespace platform {

class PipeWireScreen {
public:
    // Connects through the remote's file descriptor (which it takes over)
    // and asks the node for its video. Null when PipeWire cannot be reached.
    static std::unique_ptr<PipeWireScreen> open(int remoteFd, std::uint32_t nodeId);
    ~PipeWireScreen();
    PipeWireScreen(const PipeWireScreen&) = delete;
    PipeWireScreen& operator=(const PipeWireScreen&) = delete;

    // Whether the stream has ended for good: the node went away, the
    // connection broke, or the stream failed.
    bool ended() const;
    // Cuts the region at (regionX, regionY) out of the newest frame; false,
    // with the picture untouched, when there is no frame.
    bool cutRegion(int regionX, int regionY, tx::ScreenPicture& picture) const;
    // The size of the newest frame; false when there is none.
    bool frameSize(int& width, int& height) const;

    struct Stream;  // the PipeWire side

private:
    PipeWireScreen();
    std::unique_ptr<Stream> stream_;
};

}  // namespace platform
