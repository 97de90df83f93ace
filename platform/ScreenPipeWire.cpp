#include "platform/ScreenPipeWire.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wpedantic"
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/buffer/meta.h>
#include <spa/pod/builder.h>
#pragma GCC diagnostic pop

#include "platform/ScreenBuffer.h"
#include "platform/ScreenPixels.h"

namespace platform {

struct PipeWireScreen::Stream {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook registryListener{};
    spa_hook streamListener{};
    std::uint32_t nodeId = 0;
    std::atomic<bool> ended{false};

    // Shared with the GUI thread, under the lock.
    mutable std::mutex lock;
    pw_buffer* newest = nullptr;  // held back from the producer
    int width = 0;
    int height = 0;
    PixelOrder order = PixelOrder::BGRx;
    bool formatKnown = false;
};

namespace {

using Stream = PipeWireScreen::Stream;

bool orderOf(std::uint32_t format, PixelOrder& order) {
    switch (format) {
        case SPA_VIDEO_FORMAT_BGRx:
        case SPA_VIDEO_FORMAT_BGRA: order = PixelOrder::BGRx; return true;
        case SPA_VIDEO_FORMAT_RGBx:
        case SPA_VIDEO_FORMAT_RGBA: order = PixelOrder::RGBx; return true;
        case SPA_VIDEO_FORMAT_xRGB:
        case SPA_VIDEO_FORMAT_ARGB: order = PixelOrder::xRGB; return true;
        case SPA_VIDEO_FORMAT_xBGR:
        case SPA_VIDEO_FORMAT_ABGR: order = PixelOrder::xBGR; return true;
        default: return false;
    }
}

// A cursor meta with room for a bitmap of `side` x `side` 32-bit pixels.
int cursorMetaSize(int side) {
    return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}

// The object that asks for a meta of that type and size.
const spa_pod* metaParam(spa_pod_builder& b, spa_meta_type type, int size) {
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(&b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta,
                                                                  SPA_PARAM_META_type, SPA_POD_Id(type),
                                                                  SPA_PARAM_META_size, SPA_POD_Int(size)));
}

// Gives the held frame back to the producer (loop thread, or with the
// loop stopped).
void releaseNewest(Stream& s) {
    pw_buffer* old = nullptr;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        old = s.newest;
        s.newest = nullptr;
    }
    if (old != nullptr) pw_stream_queue_buffer(s.stream, old);
}

void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto& s = *static_cast<Stream*>(data);
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) s.ended = true;
}

void onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
    auto& s = *static_cast<Stream*>(data);
    if (id != SPA_PARAM_Format || param == nullptr) return;
    spa_video_info_raw info{};
    PixelOrder order = PixelOrder::BGRx;
    const bool usable = spa_format_video_raw_parse(param, &info) >= 0 && orderOf(info.format, order);
    releaseNewest(s);
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.formatKnown = usable;
        s.width = static_cast<int>(info.size.width);
        s.height = static_cast<int>(info.size.height);
        s.order = order;
    }
    if (!usable) return;
    // Any memory the processor can read; the metas a screen cast may carry.
    std::uint8_t bytes[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
    const spa_pod* params[4];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 16), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
        SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_DmaBuf))));
    params[1] = metaParam(b, SPA_META_Header, sizeof(spa_meta_header));
    params[2] = metaParam(b, SPA_META_VideoCrop, sizeof(spa_meta_region));
    params[3] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size, SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(64), cursorMetaSize(1), cursorMetaSize(256))));
    pw_stream_update_params(s.stream, params, 4);
}

void onProcess(void* data) {
    auto& s = *static_cast<Stream*>(data);
    // The newest buffer that carries a picture is kept; the others go back.
    pw_buffer* latest = nullptr;
    while (pw_buffer* b = pw_stream_dequeue_buffer(s.stream)) {
        if (!bufferHoldsPicture(b->buffer)) {
            pw_stream_queue_buffer(s.stream, b);
            continue;
        }
        if (latest != nullptr) pw_stream_queue_buffer(s.stream, latest);
        latest = b;
    }
    if (latest == nullptr) return;
    pw_buffer* old = nullptr;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        old = s.newest;
        s.newest = latest;
    }
    if (old != nullptr) pw_stream_queue_buffer(s.stream, old);
}

void onRemoveBuffer(void* data, pw_buffer* buffer) {
    auto& s = *static_cast<Stream*>(data);
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.newest == buffer) s.newest = nullptr;
}

void onGlobalRemove(void* data, std::uint32_t id) {
    auto& s = *static_cast<Stream*>(data);
    if (id == s.nodeId) s.ended = true;
}

void onCoreError(void* data, std::uint32_t id, int, int, const char*) {
    auto& s = *static_cast<Stream*>(data);
    if (id == PW_ID_CORE) s.ended = true;
}

const pw_stream_events streamEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = onStateChanged;
    e.param_changed = onParamChanged;
    e.remove_buffer = onRemoveBuffer;
    e.process = onProcess;
    return e;
}();

const pw_registry_events registryEvents = [] {
    pw_registry_events e{};
    e.version = PW_VERSION_REGISTRY_EVENTS;
    e.global_remove = onGlobalRemove;
    return e;
}();

const pw_core_events coreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = onCoreError;
    return e;
}();

// The formats asked for, any size and rate.
const spa_pod* formatParam(spa_pod_builder& b) {
    spa_rectangle defaultSize{1920, 1080}, smallest{1, 1}, largest{16384, 16384};
    spa_fraction defaultRate{30, 1}, slowest{0, 1}, fastest{1000, 1};
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(9, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA, SPA_VIDEO_FORMAT_xRGB,
                               SPA_VIDEO_FORMAT_ARGB, SPA_VIDEO_FORMAT_xBGR, SPA_VIDEO_FORMAT_ABGR),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &slowest, &fastest)));
}

}  // namespace

PipeWireScreen::PipeWireScreen() : stream_(std::make_unique<Stream>()) {}

std::unique_ptr<PipeWireScreen> PipeWireScreen::open(int remoteFd, std::uint32_t nodeId) {
    static std::once_flag started;
    std::call_once(started, [] { pw_init(nullptr, nullptr); });
    std::unique_ptr<PipeWireScreen> screen(new PipeWireScreen());
    Stream& s = *screen->stream_;
    s.nodeId = nodeId;
    s.loop = pw_thread_loop_new("nbtv-screen", nullptr);
    if (s.loop == nullptr) {
        close(remoteFd);
        return nullptr;
    }
    s.context = pw_context_new(pw_thread_loop_get_loop(s.loop), nullptr, 0);
    if (s.context == nullptr || pw_thread_loop_start(s.loop) < 0) {
        close(remoteFd);
        return nullptr;  // the destructor frees what was made
    }
    pw_thread_loop_lock(s.loop);
    s.core = pw_context_connect_fd(s.context, remoteFd, nullptr, 0);
    bool connected = false;
    if (s.core != nullptr) {
        pw_core_add_listener(s.core, &s.coreListener, &coreEvents, &s);
        s.registry = pw_core_get_registry(s.core, PW_VERSION_REGISTRY, 0);
        if (s.registry != nullptr)
            pw_registry_add_listener(s.registry, &s.registryListener, &registryEvents, &s);
        s.stream = pw_stream_new(s.core, "NBTV transmitter screen",
                                 pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                   "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        if (s.stream != nullptr) {
            pw_stream_add_listener(s.stream, &s.streamListener, &streamEvents, &s);
            std::uint8_t bytes[1024];
            spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
            const spa_pod* params[1] = {formatParam(b)};
            connected = pw_stream_connect(s.stream, PW_DIRECTION_INPUT, nodeId,
                                          static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                                       PW_STREAM_FLAG_MAP_BUFFERS),
                                          params, 1) >= 0;
        }
    } else {
        close(remoteFd);
    }
    pw_thread_loop_unlock(s.loop);
    if (!connected) return nullptr;
    return screen;
}

PipeWireScreen::~PipeWireScreen() {
    Stream& s = *stream_;
    // With the thread stopped no callback runs; everything is freed here.
    if (s.loop != nullptr) pw_thread_loop_stop(s.loop);
    if (s.stream != nullptr) {
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.newest = nullptr;  // its buffers go with the stream
        }
        pw_stream_destroy(s.stream);
    }
    if (s.registry != nullptr) {
        spa_hook_remove(&s.registryListener);
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(s.registry));
    }
    if (s.core != nullptr) pw_core_disconnect(s.core);
    if (s.context != nullptr) pw_context_destroy(s.context);
    if (s.loop != nullptr) pw_thread_loop_destroy(s.loop);
}

bool PipeWireScreen::ended() const { return stream_->ended; }

bool PipeWireScreen::cutRegion(int regionX, int regionY, tx::ScreenPicture& picture) const {
    const Stream& s = *stream_;
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.ended || s.newest == nullptr || !s.formatKnown) return false;
    const BufferPixels pixels(s.newest->buffer, s.width, s.height, s.order);
    if (pixels.frame().data == nullptr) return false;
    cutPictureFromFrame(pixels.frame(), regionX, regionY, picture);
    return true;
}

bool PipeWireScreen::frameSize(int& width, int& height) const {
    const Stream& s = *stream_;
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.ended || s.newest == nullptr || !s.formatKnown) return false;
    width = s.width;
    height = s.height;
    return true;
}

}  // namespace platform
