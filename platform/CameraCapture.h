#pragma once
// A camera as the transmitter's picture: a V4L2 video device through
// GStreamer (v4l2src ! videoconvert ! appsink), the newest frame scaled to
// 96 x 120 as picture files are. NBTV_CAMERA_PIPELINE, when set, replaces
// the source element ("videotestsrc pattern=ball"), so that tests and odd
// cameras need no V4L2 device.
#include <memory>
#include <string>

#include "core/ScreenPicture.h"

namespace platform {

struct CameraStream;
struct CameraClose {
    void operator()(CameraStream* camera) const;
};
using Camera = std::unique_ptr<CameraStream, CameraClose>;

enum class CameraAccess {
    Granted,  // the picture shows the camera's newest frame
    Waiting,  // started, no frame yet
    Failed,   // no frame can be had: no such device, the pipeline failed
};

// Starts the camera at `device` ("" for the first one, /dev/video0). The
// frames come on a thread of their own; only the newest is kept. Null
// only when GStreamer itself cannot start (errorText says why); a device
// that fails shows later as Failed.
Camera openCamera(const std::string& device, std::string& errorText);

// The newest frame into the picture. Without one the picture is left as
// it is. errorText says why when Failed.
CameraAccess cameraPicture(CameraStream& camera, tx::ScreenPicture& picture, std::string& errorText);

// A paused camera captures nothing (and costs nothing) until resumed.
void pauseCamera(CameraStream& camera, bool paused);

}  // namespace platform
