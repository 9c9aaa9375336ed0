#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

// The messages exchanged with the plug-in program on this PC: "KQ-510>>", a two-byte code and the
// code's fields, numbers as 32-bit signed big-endian. "0180" asks for the next picture; "0151" carries
// a chunk of the picture's bytes; "0152" says the picture is complete.
namespace kq::link {

namespace msg {
inline constexpr uint16_t NextPicture = 0x0180;
inline constexpr uint16_t PictureChunk = 0x0151;
inline constexpr uint16_t PictureDone = 0x0152;
} // namespace msg

inline constexpr char kMsgPrefix[] = "KQ-510>>";
inline constexpr int kPluginImageBytes = 10000001; // indices 0..10,000,000
inline constexpr int kPluginCountdownTicks = 50;   // 10 ms ticks the picture stays after a "0152"
inline constexpr int kPluginWarmUp = 20;           // the 20th whole picture after start-up is the first shown
inline constexpr int kPluginChunkHeadBytes = 18;   // prefix, code, offset and count of a "0151"
// The plug-in socket's receive buffer: the largest picture and, for chunks down to 1,000 bytes, each
// chunk's head and its UDP and IP headers.
inline constexpr int kPluginReceiveBufferBytes =
    kPluginImageBytes + (kPluginImageBytes / 1000 + 1) * (kPluginChunkHeadBytes + 8 + 20);

QByteArray encodeMessage(uint16_t code, QByteArrayView fields = {});
// "0151": count bytes of the picture at offset (count is written as given: it may differ from bytes').
QByteArray encodePictureChunk(int32_t offset, int32_t count, QByteArrayView bytes);
// "0152": the picture is complete, size bytes of width x height pixels (32 bits each).
QByteArray encodePictureDone(int32_t size, int32_t width, int32_t height);
// The code as four upper-case hex digits when the prefix is there, else empty.
QString Fun_MsgCode(QByteArrayView data);
// n bytes from `position` on as one big-endian number; `position` moves past them. Bytes past the end
// count as zero.
int64_t Fun_MsgReadBE(int n, QByteArrayView data, qsizetype& position);

// Assembles the plug-in's pictures. Everything that would reach outside the picture buffer is dropped
// and counted, never written. A picture is taken only when every one of its width x height x 4 bytes
// came in a chunk since the "0152" before it, in whatever order and however often: one whose chunk was
// lost would mix two pictures, and is dropped and counted apart.
class PluginPictures {
public:
    // Dropped: a message that does not fit the buffer. Incomplete: a "0152" whose picture lacks bytes.
    enum class Event { None, Chunk, Picture, Dropped, Incomplete };
    Event receive(QByteArrayView data);
    // The 10 ms step: true when the countdown has just run out.
    bool tick();

    // The picture to sample while the countdown runs: present once a whole picture past the warm-up came.
    bool hasPicture() const { return shown_; }
    int width() const { return width_; }
    int height() const { return height_; }
    QByteArrayView pixels() const;
    int dropped() const { return dropped_; }                 // messages
    int droppedPictures() const { return droppedPictures_; } // "0152"s of incomplete pictures
    int received() const { return received_; }               // whole pictures, the warm-up's included
    int warmUp() const { return warmUp_; }

private:
    // Chunks are written into image_; a whole picture trades places with the one shown, so that the
    // chunks of the next one never reach the picture being sampled. Each grows as chunks arrive, never
    // past kPluginImageBytes.
    QByteArray image_, shownImage_;
    int width_ = 0, height_ = 0;
    qsizetype shownBytes_ = 0; // width_ x height_ x 4, never past shownImage_'s size
    // One bit per picture byte: set when the byte came in a chunk since the last "0152". Bits past
    // dirtyEnd_ are all clear, so that a "0152" clears only what the chunks touched.
    std::vector<uint64_t> came_;
    qsizetype dirtyEnd_ = 0;
    void markCame(qsizetype from, qsizetype to);
    bool allCame(qsizetype bytes) const;
    int warmUp_ = 0;
    int dropped_ = 0;
    int droppedPictures_ = 0;
    int received_ = 0;
    bool shown_ = false;
};

} // namespace kq::link
