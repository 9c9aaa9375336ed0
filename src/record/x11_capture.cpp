#include "x11_capture.h"

#include <QString>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace kq::record {
namespace {

bool g_xError = false;
int recordError(Display*, XErrorEvent*) {
    g_xError = true;
    return 0;
}

// Runs fn with X errors caught instead of ending the program; true when none occurred.
template <typename Fn> bool withoutXErrors(Display* d, Fn fn) {
    XSync(d, False);
    g_xError = false;
    auto* old = XSetErrorHandler(recordError);
    fn();
    XSync(d, False);
    XSetErrorHandler(old);
    return !g_xError;
}

int shiftOf(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1))
        mask >>= 1, ++s;
    return s;
}

} // namespace

struct X11Capture::State {
    Display* display = nullptr;
    Window root = 0;
    QSize screen;
    bool shm = false;
    XShmSegmentInfo segment{};
    XImage* image = nullptr; // the shared image, sized to the last source rectangle
    QByteArray converted;    // for displays that are not 32-bit BGRx

    void dropImage() {
        if (!image) return;
        XShmDetach(display, &segment);
        XDestroyImage(image);
        shmdt(segment.shmaddr);
        image = nullptr;
    }

    bool makeImage(const QSize& size) {
        dropImage();
        Visual* visual = DefaultVisual(display, DefaultScreen(display));
        const int depth = DefaultDepth(display, DefaultScreen(display));
        image = XShmCreateImage(display, visual, unsigned(depth), ZPixmap, nullptr, &segment, unsigned(size.width()),
                                unsigned(size.height()));
        if (!image) return false;
        segment.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(image->height), IPC_CREAT | 0600);
        if (segment.shmid < 0) {
            XDestroyImage(image);
            image = nullptr;
            return false;
        }
        void* address = shmat(segment.shmid, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            shmctl(segment.shmid, IPC_RMID, nullptr);
            XDestroyImage(image);
            image = nullptr;
            return false;
        }
        segment.shmaddr = image->data = static_cast<char*>(address);
        segment.readOnly = False;
        const bool attached = withoutXErrors(display, [&] { XShmAttach(display, &segment); });
        // Once the server holds it, the segment goes when both sides let go, even if the program ends
        // without cleaning up.
        if (attached) shmctl(segment.shmid, IPC_RMID, nullptr);
        if (!attached) {
            image->data = nullptr;
            XDestroyImage(image);
            shmdt(segment.shmaddr);
            shmctl(segment.shmid, IPC_RMID, nullptr);
            image = nullptr;
            return false;
        }
        return true;
    }

    // The image's bits as 32-bit blue, green, red, x rows.
    const uint8_t* bgrx(XImage* img, qsizetype& bytesPerRow) {
        if (img->bits_per_pixel == 32 && img->byte_order == LSBFirst && img->red_mask == 0xFF0000 &&
            img->green_mask == 0xFF00 && img->blue_mask == 0xFF) {
            bytesPerRow = img->bytes_per_line;
            return reinterpret_cast<const uint8_t*>(img->data);
        }
        converted.resize(qsizetype(img->width) * img->height * 4);
        auto* out = reinterpret_cast<uint8_t*>(converted.data());
        const int rs = shiftOf(img->red_mask), gs = shiftOf(img->green_mask), bs = shiftOf(img->blue_mask);
        const auto scale = [](unsigned long v, unsigned long mask, int shift) {
            const unsigned long max = mask >> shift;
            return uint8_t(max ? ((v & mask) >> shift) * 255 / max : 0);
        };
        for (int y = 0; y < img->height; ++y)
            for (int x = 0; x < img->width; ++x) {
                const unsigned long p = XGetPixel(img, x, y);
                uint8_t* o = out + (qsizetype(y) * img->width + x) * 4;
                o[0] = scale(p, img->blue_mask, bs);
                o[1] = scale(p, img->green_mask, gs);
                o[2] = scale(p, img->red_mask, rs);
                o[3] = 0;
            }
        bytesPerRow = qsizetype(img->width) * 4;
        return out;
    }
};

X11Capture::X11Capture() : s_(std::make_unique<State>()) {
    s_->display = XOpenDisplay(nullptr);
    if (!s_->display) return;
    const int screen = DefaultScreen(s_->display);
    s_->root = RootWindow(s_->display, screen);
    s_->screen = QSize(DisplayWidth(s_->display, screen), DisplayHeight(s_->display, screen));
    s_->shm = XShmQueryExtension(s_->display);
}

X11Capture::~X11Capture() {
    if (!s_->display) return;
    s_->dropImage();
    XCloseDisplay(s_->display);
}

bool X11Capture::available() const {
    return s_->display != nullptr;
}
bool X11Capture::usesSharedMemory() const {
    return s_->shm;
}

QString X11Capture::name() const {
    return s_->shm ? QStringLiteral("X11 MIT-SHM") : QStringLiteral("X11 XGetImage");
}

bool X11Capture::grab(const QRect& wanted, CapturedPicture& picture) {
    if (!s_->display || wanted.isEmpty()) return false;
    // A picture that is the shared segment lets go of it before the segment is reused or replaced.
    if (s_->image && picture.bits.constData() == s_->image->data) picture.bits = QByteArray();
    const CaptureGeometry g = captureGeometry(wanted, s_->screen);
    if (g.source.isEmpty()) {
        placeIntoPicture(picture, g, nullptr, 0);
        return true;
    }
    qsizetype bytesPerRow = 0;
    if (s_->shm) {
        if (!s_->image || s_->image->width != g.source.width() || s_->image->height != g.source.height())
            s_->shm = s_->makeImage(g.source.size());
        bool got = false;
        if (s_->shm)
            withoutXErrors(s_->display, [&] {
                got = XShmGetImage(s_->display, s_->root, s_->image, g.source.x(), g.source.y(), AllPlanes);
            });
        if (got) {
            const uint8_t* bits = s_->bgrx(s_->image, bytesPerRow);
            const bool shared = bits == reinterpret_cast<const uint8_t*>(s_->image->data);
            if (shared && g.source.size() == wanted.size() && bytesPerRow == qsizetype(wanted.width()) * 4) {
                // The whole area is on the screen: the picture is the shared segment itself, valid
                // until the next copy, with nothing copied at all.
                picture.bits =
                    QByteArray::fromRawData(reinterpret_cast<const char*>(bits), bytesPerRow * wanted.height());
                picture.width = wanted.width();
                picture.height = wanted.height();
                return true;
            }
            placeIntoPicture(picture, g, bits, bytesPerRow);
            return true;
        }
        s_->dropImage();
        s_->shm = false; // the server would not share: copy through the socket from now on
    }
    // A picture that is our converted copy lets go of it before it is reused.
    if (picture.bits.constData() == s_->converted.constData()) picture.bits = QByteArray();
    XImage* img = nullptr;
    withoutXErrors(s_->display, [&] {
        img = XGetImage(s_->display, s_->root, g.source.x(), g.source.y(), unsigned(g.source.width()),
                        unsigned(g.source.height()), AllPlanes, ZPixmap);
    });
    if (!img) {
        // The screen may have changed its size: learn the new one for the next copy, and leave a
        // picture of the wanted size (background) rather than a stale one.
        XWindowAttributes root{};
        if (XGetWindowAttributes(s_->display, s_->root, &root)) s_->screen = QSize(root.width, root.height);
        placeIntoPicture(picture, CaptureGeometry{{}, {}, g.picture}, nullptr, 0);
        return false;
    }
    const uint8_t* bits = s_->bgrx(img, bytesPerRow);
    placeIntoPicture(picture, g, bits, bytesPerRow);
    XDestroyImage(img);
    return true;
}

} // namespace kq::record
