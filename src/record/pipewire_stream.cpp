#include "pipewire_stream.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>

namespace kq::record {

void cutFromFrame(const FrameView& frame, const QRect& screen, const QRect& wanted, CapturedPicture& picture) {
    const CaptureGeometry g = captureGeometry(wanted.translated(-screen.topLeft()), screen.size());
    const bool sameSize = frame.width == screen.width() && frame.height == screen.height();
    if (sameSize && frame.order == PixelOrder::BGRx) {
        const uint8_t* first =
            g.source.isEmpty() ? nullptr : frame.bits + g.source.y() * frame.stride + qsizetype(g.source.x()) * 4;
        placeIntoPicture(picture, g, first, frame.stride);
        return;
    }
    placeIntoPicture(picture, g, nullptr, 0);
    if (g.source.isEmpty()) return;
    const bool swap = frame.order == PixelOrder::RGBx;
    for (int row = 0; row < g.source.height(); ++row) {
        const int fy = int(qint64(g.source.y() + row) * frame.height / screen.height());
        const uint8_t* line = frame.bits + fy * frame.stride;
        uint8_t* out = reinterpret_cast<uint8_t*>(picture.bits.data()) +
                       (qsizetype(g.destination.y()) + row) * picture.bytesPerRow() + qsizetype(g.destination.x()) * 4;
        for (int col = 0; col < g.source.width(); ++col, out += 4) {
            const int fx = int(qint64(g.source.x() + col) * frame.width / screen.width());
            const uint8_t* p = line + qsizetype(fx) * 4;
            out[0] = swap ? p[2] : p[0];
            out[1] = p[1];
            out[2] = swap ? p[0] : p[2];
            out[3] = 0;
        }
    }
}

std::optional<FrameView> frameInMemory(const uint8_t* data, qsizetype size, qsizetype offset, qsizetype stride,
                                       const QSize& frameSize, PixelOrder order) {
    FrameView frame;
    frame.width = frameSize.width();
    frame.height = frameSize.height();
    frame.stride = stride > 0 ? stride : qsizetype(frame.width) * 4;
    frame.order = order;
    if (!data || frame.width <= 0 || frame.height <= 0 || frame.stride < qsizetype(frame.width) * 4)
        return std::nullopt;
    if (offset < 0 || offset > size || (size - offset) / frame.stride < frame.height) return std::nullopt;
    frame.bits = data + offset;
    return frame;
}

namespace {

void initPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

// The formats a screen is taken in: the two byte orders of 32-bit pixels, any size and rate.
const spa_pod* videoFormats(spa_pod_builder& b) {
    spa_pod_frame object{}, choice{};
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_prop(&b, SPA_FORMAT_mediaType, 0);
    spa_pod_builder_id(&b, SPA_MEDIA_TYPE_video);
    spa_pod_builder_prop(&b, SPA_FORMAT_mediaSubtype, 0);
    spa_pod_builder_id(&b, SPA_MEDIA_SUBTYPE_raw);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Enum, 0);
    for (uint32_t f : {SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx,
                       SPA_VIDEO_FORMAT_RGBA})
        spa_pod_builder_id(&b, f); // the first is the default
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_size, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_rectangle(&b, 1920, 1080);
    spa_pod_builder_rectangle(&b, 1, 1);
    spa_pod_builder_rectangle(&b, 16384, 16384);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_framerate, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_fraction(&b, 30, 1);
    spa_pod_builder_fraction(&b, 0, 1);
    spa_pod_builder_fraction(&b, 1000, 1);
    spa_pod_builder_pop(&b, &choice);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&b, &object));
}

// Buffers in memory the program can read (shared memory), never on the graphics card.
const spa_pod* memoryBuffers(spa_pod_builder& b) {
    spa_pod_frame object{}, choice{};
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_prop(&b, SPA_PARAM_BUFFERS_buffers, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_int(&b, 4);
    spa_pod_builder_int(&b, 2);
    spa_pod_builder_int(&b, 16);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_PARAM_BUFFERS_dataType, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Flags, 0);
    spa_pod_builder_int(&b, (1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd));
    spa_pod_builder_pop(&b, &choice);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&b, &object));
}

// The frame a buffer holds, when it holds a whole one of the negotiated format; else nothing.
std::optional<FrameView> frameOf(const pw_buffer* buffer, const spa_video_info_raw& format) {
    if (!buffer || !buffer->buffer || buffer->buffer->n_datas < 1) return std::nullopt;
    const spa_data& d = buffer->buffer->datas[0];
    if (!d.data || !d.chunk || d.chunk->size == 0 || (d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) return std::nullopt;
    const bool rgb = format.format == SPA_VIDEO_FORMAT_RGBx || format.format == SPA_VIDEO_FORMAT_RGBA;
    return frameInMemory(static_cast<const uint8_t*>(d.data), d.maxsize, d.chunk->offset, d.chunk->stride,
                         QSize(int(format.size.width), int(format.size.height)),
                         rgb ? PixelOrder::RGBx : PixelOrder::BGRx);
}

} // namespace

struct PipeWireStream::State {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    pw_registry* registry = nullptr;
    uint32_t node = 0;
    spa_hook coreListener{};
    spa_hook registryListener{};
    pw_registry_events registryEvents{};
    spa_hook streamListener{};
    pw_core_events coreEvents{};
    pw_stream_events streamEvents{};

    // Written on the stream's thread; read under the lock.
    std::mutex lock;
    pw_buffer* held = nullptr; // the newest frame, kept from the producer until a newer one comes
    spa_video_info_raw format{};
    bool formatKnown = false;
    QString error;
    std::atomic<bool> ended{false};
    std::atomic<bool> streaming{false};
    std::atomic<quint64> frames{0};

    void end(const QString& why) {
        std::lock_guard guard(lock);
        if (error.isEmpty()) error = why;
        ended = true;
    }

    static void onCoreError(void* data, uint32_t id, int, int res, const char* message) {
        if (id == PW_ID_CORE && res == -EPIPE)
            static_cast<State*>(data)->end(QCoreApplication::translate("kq", "屏幕共享已结束"));
        else if (id == PW_ID_CORE)
            static_cast<State*>(data)->end(QString::fromUtf8(message));
    }
    // The shared screen's node goes away when the desktop stops sharing; the stream itself may only pause.
    static void onGlobalRemoved(void* data, uint32_t id) {
        auto* s = static_cast<State*>(data);
        if (id == s->node) s->end(QCoreApplication::translate("kq", "屏幕共享已结束"));
    }
    static void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error) {
        if (state == PW_STREAM_STATE_STREAMING) static_cast<State*>(data)->streaming = true;
        if (state == PW_STREAM_STATE_ERROR)
            static_cast<State*>(data)->end(QString::fromUtf8(error ? error : "PipeWire error"));
        else if (state == PW_STREAM_STATE_UNCONNECTED)
            static_cast<State*>(data)->end(QCoreApplication::translate("kq", "屏幕共享已结束"));
    }
    static void onParamChanged(void* data, uint32_t id, const spa_pod* param) {
        auto* s = static_cast<State*>(data);
        if (id != SPA_PARAM_Format || !param) return;
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0) return;
        {
            std::lock_guard guard(s->lock);
            s->format = info;
            s->formatKnown = true;
        }
        uint8_t bytes[256];
        spa_pod_builder b{};
        spa_pod_builder_init(&b, bytes, sizeof bytes);
        const spa_pod* params[] = {memoryBuffers(b)};
        pw_stream_update_params(s->stream, params, 1);
    }
    static void onRemoveBuffer(void* data, pw_buffer* buffer) {
        auto* s = static_cast<State*>(data);
        std::lock_guard guard(s->lock);
        if (s->held == buffer) s->held = nullptr;
    }
    static void onProcess(void* data) {
        auto* s = static_cast<State*>(data);
        // The newest whole frame is kept; older ones and broken ones go straight back. (The format is
        // only written on this thread.)
        pw_buffer* newest = nullptr;
        while (pw_buffer* b = pw_stream_dequeue_buffer(s->stream)) {
            if (!s->formatKnown || !frameOf(b, s->format)) {
                pw_stream_queue_buffer(s->stream, b);
                continue;
            }
            if (newest) pw_stream_queue_buffer(s->stream, newest);
            newest = b;
        }
        if (!newest) return;
        pw_buffer* old = nullptr;
        {
            std::lock_guard guard(s->lock);
            old = s->held;
            s->held = newest;
        }
        ++s->frames;
        if (old) pw_stream_queue_buffer(s->stream, old);
    }
};

PipeWireStream::PipeWireStream(int fd, uint32_t node) : s_(std::make_unique<State>()) {
    initPipeWire();
    s_->coreEvents.version = PW_VERSION_CORE_EVENTS;
    s_->coreEvents.error = &State::onCoreError;
    s_->registryEvents.version = PW_VERSION_REGISTRY_EVENTS;
    s_->registryEvents.global_remove = &State::onGlobalRemoved;
    s_->node = node;
    s_->streamEvents.version = PW_VERSION_STREAM_EVENTS;
    s_->streamEvents.state_changed = &State::onStateChanged;
    s_->streamEvents.param_changed = &State::onParamChanged;
    s_->streamEvents.remove_buffer = &State::onRemoveBuffer;
    s_->streamEvents.process = &State::onProcess;

    s_->loop = pw_thread_loop_new("kq510-screen", nullptr);
    if (s_->loop) s_->context = pw_context_new(pw_thread_loop_get_loop(s_->loop), nullptr, 0);
    if (!s_->context || pw_thread_loop_start(s_->loop) < 0) {
        ::close(fd);
        s_->end(QCoreApplication::translate("kq", "PipeWire无法启动"));
        return;
    }
    pw_thread_loop_lock(s_->loop);
    s_->core = pw_context_connect_fd(s_->context, fd, nullptr, 0); // takes fd, even when it fails
    if (s_->core) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast" // PipeWire's C macros
        pw_core_add_listener(s_->core, &s_->coreListener, &s_->coreEvents, s_.get());
        s_->registry = pw_core_get_registry(s_->core, PW_VERSION_REGISTRY, 0);
        if (s_->registry) pw_registry_add_listener(s_->registry, &s_->registryListener, &s_->registryEvents, s_.get());
#pragma GCC diagnostic pop
        s_->stream = pw_stream_new(s_->core, "kq510 screen",
                                   pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                     PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    }
    if (s_->stream) {
        pw_stream_add_listener(s_->stream, &s_->streamListener, &s_->streamEvents, s_.get());
        uint8_t bytes[1024];
        spa_pod_builder b{};
        spa_pod_builder_init(&b, bytes, sizeof bytes);
        const spa_pod* params[] = {videoFormats(b)};
        const auto flags = pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
        if (pw_stream_connect(s_->stream, PW_DIRECTION_INPUT, node, flags, params, 1) < 0)
            s_->end(QCoreApplication::translate("kq", "无法连接屏幕共享的视频流"));
    } else {
        s_->end(QCoreApplication::translate("kq", "无法连接PipeWire"));
    }
    pw_thread_loop_unlock(s_->loop);
}

PipeWireStream::~PipeWireStream() {
    if (s_->loop) pw_thread_loop_stop(s_->loop);
    if (s_->stream) pw_stream_destroy(s_->stream);
    if (s_->registry) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(s_->registry));
    if (s_->core) pw_core_disconnect(s_->core);
    if (s_->context) pw_context_destroy(s_->context);
    if (s_->loop) pw_thread_loop_destroy(s_->loop);
}

PipeWireStream::Cut PipeWireStream::cut(const QRect& screen, const QRect& wanted, CapturedPicture& picture) {
    std::lock_guard guard(s_->lock);
    if (s_->ended) return Cut::Ended;
    if (!s_->held || !s_->formatKnown) return Cut::NoFrameYet;
    const std::optional<FrameView> frame = frameOf(s_->held, s_->format);
    if (!frame) return Cut::NoFrameYet; // the format changed since; a new frame follows
    const QRect shown = screen.size().isEmpty() ? QRect(screen.topLeft(), QSize(frame->width, frame->height)) : screen;
    cutFromFrame(*frame, shown, wanted, picture);
    return Cut::Done;
}

QString PipeWireStream::error() const {
    std::lock_guard guard(s_->lock);
    return s_->error;
}

bool PipeWireStream::streaming() const {
    return s_->streaming;
}

quint64 PipeWireStream::frames() const {
    return s_->frames;
}

} // namespace kq::record
