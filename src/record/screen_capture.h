#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Copying a rectangle of the screen into a picture of 32-bit pixels in blue, green, red, x order, rows
// top to bottom. Behind one interface so that tests and other platforms can supply their own.

namespace kq::record {

struct CapturedPicture {
    QByteArray bits; // may refer to the capture's own memory, valid until its next copy
    int width = 0;
    int height = 0;
    qsizetype bytesPerRow() const { return qsizetype(width) * 4; }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(bits.constData()); }
};

// The picture's background where the wanted rectangle lies off the screen: light blue (0xFFC0C0 as
// the Windows program wrote it, blue 0xFF, green 0xC0, red 0xC0).
inline constexpr uint32_t kPictureBackground = 0x00C0C0FF; // x, red, green, blue from the high byte

// Which part of the screen to copy for the wanted rectangle, and where it lands in the picture.
struct CaptureGeometry {
    QRect source; // on the screen, never empty unless nothing of wanted is on it
    QPoint destination;
    // The picture: the wanted size, except that a side longer than the screen's ends at the screen's
    // far edge (what lies past it is background), so an area larger than the screen costs no memory
    // beyond what the screen shows.
    QSize picture;
};
CaptureGeometry captureGeometry(const QRect& wanted, const QSize& screen);

// Fills the picture (g.picture) with the background and copies the rows of `source` into it.
void placeIntoPicture(CapturedPicture& picture, const CaptureGeometry& g, const uint8_t* sourceBits,
                      qsizetype sourceBytesPerRow);

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // Copies `wanted` (screen pixels) into picture; what lies off the screen stays background.
    virtual bool grab(const QRect& wanted, CapturedPicture& picture) = 0;
    virtual QString name() const = 0;
    // True while a failed grab is only early: the desktop is still asking the user which screen to
    // share, or the first picture is on its way. Nothing to tell the user yet.
    virtual bool waiting() const { return false; }
    // What the user can do about a failed grab, in the program's words; empty when there is nothing.
    virtual QString advice() const { return {}; }
    // After a failure, try again at the next grab (the desktop asks the user again).
    virtual void retry() {}
};

} // namespace kq::record
