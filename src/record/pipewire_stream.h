#pragma once

#include "screen_capture.h"

#include <QString>
#include <memory>
#include <optional>

// A screen shared by the desktop, received as a PipeWire video stream on its own thread. The newest
// frame is held (never copied whole); a reader cuts what it needs from it under a short lock and never
// waits for a frame to come.

namespace kq::record {

// A frame's pixels as they lie in memory: 4 bytes a pixel, in blue, green, red, x order or in red,
// green, blue, x order.
enum class PixelOrder { BGRx, RGBx };
struct FrameView {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    PixelOrder order = PixelOrder::BGRx;
};

// The frame of frameSize pixels that memory of `size` bytes holds at offset, rows `stride` bytes apart
// (0: packed); nothing unless every row lies whole inside the memory.
std::optional<FrameView> frameInMemory(const uint8_t* data, qsizetype size, qsizetype offset, qsizetype stride,
                                       const QSize& frameSize, PixelOrder order);

// Cuts `wanted` (desktop coordinates) into the picture from a frame of the screen that lies at `screen`
// on the desktop. A frame of another size than the screen (a scaled output) is sampled to it; what lies
// off the screen stays background.
void cutFromFrame(const FrameView& frame, const QRect& screen, const QRect& wanted, CapturedPicture& picture);

class PipeWireStream {
public:
    // Connects to the PipeWire remote behind fd (taken over, closed by the stream) and to its node.
    PipeWireStream(int fd, uint32_t node);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    enum class Cut { Done, NoFrameYet, Ended };
    Cut cut(const QRect& screen, const QRect& wanted, CapturedPicture& picture);
    // Why the stream ended, when it did.
    QString error() const;
    // The frames received so far.
    quint64 frames() const;
    // Whether the stream has been linked to the shared screen (frames may still wait for a change on it).
    bool streaming() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace kq::record
