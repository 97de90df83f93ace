#include "platform/CameraCapture.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video-info.h>

#include <QImage>
#include <cstdlib>

#include "platform/ImageToPicture.h"

namespace platform {

struct CameraStream {
    GstElement* pipeline = nullptr;
    GstAppSink* sink = nullptr;
    bool failed = false;
    bool framed = false;  // a frame has been taken
    std::string error;
    tx::ScreenPicture newest;  // the last frame taken, as a picture
};

namespace {

constexpr int FramesPerSecond = 5;  // taken from the camera; the signal sends 2.6

std::string sourceElement(const std::string& device) {
    if (const char* replaced = std::getenv("NBTV_CAMERA_PIPELINE"); replaced != nullptr && *replaced != '\0')
        return replaced;
    if (device.empty()) return "v4l2src";
    // The device path goes in quoted; a quote in it cannot end the string.
    std::string quoted;
    for (char c : device) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return "v4l2src device=\"" + quoted + "\"";
}

// The first error the pipeline has reported, if any.
void collectErrors(CameraStream& camera) {
    GstBus* bus = gst_element_get_bus(camera.pipeline);
    while (GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
        if (!camera.failed) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            camera.failed = true;
            camera.error = error != nullptr ? error->message : "the camera failed";
            g_clear_error(&error);
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

// The sample's frame into the picture, through the same scaling as a
// picture file.
bool takeFrame(GstSample* sample, tx::ScreenPicture& picture) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return false;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer == nullptr || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
    const int width = GST_VIDEO_INFO_WIDTH(&info);
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    bool taken = false;
    if (width > 0 && height > 0 && stride >= width * 4 &&
        map.size >= static_cast<gsize>(stride) * static_cast<gsize>(height)) {
        // BGRx in memory is Qt's 0xffRRGGBB word on a little-endian machine.
        const QImage frame(map.data, width, height, stride, QImage::Format_RGB32);
        fitImageToPicture(frame, picture);
        taken = true;
    }
    gst_buffer_unmap(buffer, &map);
    return taken;
}

}  // namespace

void CameraClose::operator()(CameraStream* camera) const {
    if (camera == nullptr) return;
    if (camera->pipeline != nullptr) {
        gst_element_set_state(camera->pipeline, GST_STATE_NULL);
        gst_object_unref(camera->pipeline);
    }
    if (camera->sink != nullptr) gst_object_unref(camera->sink);
    delete camera;
}

Camera openCamera(const std::string& device, std::string& errorText) {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        errorText = std::string("GStreamer does not start: ") + (error != nullptr ? error->message : "");
        g_clear_error(&error);
        return nullptr;
    }
    Camera camera(new CameraStream);
    // A frame is sent every 0.384 s: more than five frames a second are
    // dropped before they are converted. Only the newest converted frame
    // is kept, and the sink keeps to the frames' own times.
    const std::string description = sourceElement(device) +
                                    " ! videorate drop-only=true max-rate=" + std::to_string(FramesPerSecond) +
                                    " ! videoconvert ! video/x-raw,format=BGRx ! "
                                    "appsink name=frames max-buffers=1 drop=true sync=true";
    camera->pipeline = gst_parse_launch(description.c_str(), &error);
    if (camera->pipeline == nullptr || error != nullptr) {
        camera->failed = true;
        camera->error = error != nullptr ? error->message : "the camera pipeline cannot be made";
        g_clear_error(&error);
        return camera;
    }
    camera->sink = GST_APP_SINK(gst_bin_get_by_name(GST_BIN(camera->pipeline), "frames"));
    if (camera->sink == nullptr ||
        gst_element_set_state(camera->pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        collectErrors(*camera);
        camera->failed = true;
        if (camera->error.empty()) camera->error = "the camera does not start";
    }
    return camera;
}

CameraAccess cameraPicture(CameraStream& camera, tx::ScreenPicture& picture, std::string& errorText) {
    if (camera.pipeline != nullptr) collectErrors(camera);
    if (camera.failed) {
        errorText = camera.error;
        return CameraAccess::Failed;
    }
    if (GstSample* sample = gst_app_sink_try_pull_sample(camera.sink, 0)) {
        if (takeFrame(sample, camera.newest)) camera.framed = true;
        gst_sample_unref(sample);
    }
    if (!camera.framed) return CameraAccess::Waiting;
    picture = camera.newest;
    return CameraAccess::Granted;
}

void pauseCamera(CameraStream& camera, bool paused) {
    if (camera.pipeline == nullptr || camera.failed) return;
    gst_element_set_state(camera.pipeline, paused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

}  // namespace platform
