// Preloaded into xdg-desktop-portal-wlr 0.7 on the test desktop. That version refuses to share a screen
// unless the compositor also offers the frame as a DMA-BUF, which a compositor without a graphics card
// (the headless sway of the tests, software rendering) never does, although sharing through shared
// memory works. Here each frame's shared-memory format is also announced as its DMA-BUF format; the
// portal then offers both, the program takes shared memory (it asks for nothing else), and frames flow.
// Nothing of the program's own is changed.
#include <cstdint>
#include <cstring>
#include <dlfcn.h>

struct wl_proxy;
extern "C" const char* wl_proxy_get_class(wl_proxy*);

namespace {

using Handler = void (*)();

// The events of zwlr_screencopy_frame_v1 (version 3), in protocol order.
struct FrameListener {
    void (*buffer)(void*, wl_proxy*, uint32_t format, uint32_t width, uint32_t height, uint32_t stride);
    void (*flags)(void*, wl_proxy*, uint32_t);
    void (*ready)(void*, wl_proxy*, uint32_t, uint32_t, uint32_t);
    void (*failed)(void*, wl_proxy*);
    void (*damage)(void*, wl_proxy*, uint32_t, uint32_t, uint32_t, uint32_t);
    void (*linux_dmabuf)(void*, wl_proxy*, uint32_t format, uint32_t width, uint32_t height);
    void (*buffer_done)(void*, wl_proxy*);
};

struct Target {
    const FrameListener* listener;
    void* data;
};
const Target& to(void* d) {
    return *static_cast<Target*>(d);
}

// wl_shm formats are DRM fourcc codes, except the two oldest.
uint32_t drmFormat(uint32_t shm) {
    if (shm == 0) return 0x34325241; // ARGB8888, "AR24"
    if (shm == 1) return 0x34325258; // XRGB8888, "XR24"
    return shm;
}

const FrameListener kForwarding{
    [](void* d, wl_proxy* f, uint32_t format, uint32_t w, uint32_t h, uint32_t stride) {
        to(d).listener->buffer(to(d).data, f, format, w, h, stride);
        to(d).listener->linux_dmabuf(to(d).data, f, drmFormat(format), w, h);
    },
    [](void* d, wl_proxy* f, uint32_t flags) { to(d).listener->flags(to(d).data, f, flags); },
    [](void* d, wl_proxy* f, uint32_t hi, uint32_t lo, uint32_t ns) {
        to(d).listener->ready(to(d).data, f, hi, lo, ns);
    },
    [](void* d, wl_proxy* f) { to(d).listener->failed(to(d).data, f); },
    [](void* d, wl_proxy* f, uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
        to(d).listener->damage(to(d).data, f, x, y, w, h);
    },
    [](void* d, wl_proxy* f, uint32_t format, uint32_t w, uint32_t h) {
        to(d).listener->linux_dmabuf(to(d).data, f, format, w, h);
    },
    [](void* d, wl_proxy* f) { to(d).listener->buffer_done(to(d).data, f); },
};

} // namespace

extern "C" int wl_proxy_add_listener(wl_proxy* proxy, Handler* implementation, void* data) {
    using Add = int (*)(wl_proxy*, Handler*, void*);
    static const Add real = reinterpret_cast<Add>(dlsym(RTLD_NEXT, "wl_proxy_add_listener"));
    if (std::strcmp(wl_proxy_get_class(proxy), "zwlr_screencopy_frame_v1") != 0)
        return real(proxy, implementation, data);
    // One small record per frame, for the life of the portal process (a test's few thousand frames).
    auto* target = new Target{reinterpret_cast<const FrameListener*>(implementation), data};
    return real(proxy, reinterpret_cast<Handler*>(const_cast<FrameListener*>(&kForwarding)), target);
}
