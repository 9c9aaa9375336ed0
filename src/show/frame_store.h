#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// Recorded frames: one frame file per machine and show material, packed frame by frame.

namespace kq::show {

inline constexpr int kFrameImageBytes = 18101; // indices 0..18,100
inline constexpr int kFrameHeaderBytes = 20;
inline constexpr int kSlotBytes = 13500;
inline constexpr int kPackedImageEnd = 13500;                               // image bytes 20..13,499 are stored
inline constexpr int kMaxPackedBytes = kPackedImageEnd - kFrameHeaderBytes; // 13,480
inline constexpr int kFrameFileHeaderBytes = 1024;
inline constexpr int kRecordedPorts = 6;
inline constexpr uint8_t kRunMarker = 254;
inline constexpr int kMaxRun = 250;

using FrameImage = std::array<uint8_t, kFrameImageBytes>;

enum class RecordingMode : uint8_t { Rgb = 0, Red = 1, Green = 2, Blue = 3 };

// Packs image bytes 20..13,499, quantising them in place, as the machines and the frame reader expect:
// a zero followed by a zero joins a run (254, n), a zero followed by anything else is a literal. A
// frame whose packed form would not fit its slot is packed again with short zero stretches as
// literals, which never outgrows the image; ordinary frames are unaffected.
QByteArray packFrame(FrameImage& image);
// The image bytes 20 .. 20 + 13,499 (ports 1 to 6) that packed data stand for; bytes it does not
// fill stay zero, and output past port 6 is dropped.
void unpackFrame(QByteArrayView packed, FrameImage& image);

// A frame slot: the 20-byte slot header (frame number k, packed length) and the packed bytes.
QByteArray encodeSlot(int frameNumber, QByteArrayView packed);
// The packed bytes of a slot, within what the slot holds.
QByteArrayView slotPackedData(QByteArrayView slot);

// The 1,024-byte header of a frame file.
QByteArray encodeFrameFileHeader(RecordingMode mode, int frameCount);
int frameCountOf(QByteArrayView frameFile);
// File offset of frame k's slot.
constexpr qsizetype slotOffset(int k) {
    return kFrameFileHeaderBytes + qsizetype(kSlotBytes) * (k - 1);
}

// The frame file with frame `frame` (1-based) taken out, as the frame deletion leaves it.
QByteArray withoutFrame(QByteArrayView frameFile, int frame);

QString frameFolder(const QString& appFolder, int machine);
QString frameFilePath(const QString& appFolder, int machine, int material);

} // namespace kq::show

int Fun_PortOffset(int port);
uint8_t Fun_QuantizeLevel(int level);
int32_t Fun_ReadFrameCount(const QString& path);

// Loads one frame of a machine's material into g_LivePlanes and marks ports 1 to 6 in
// g_PortHasData. Returns the file's frame count, or nullopt when there is no frame file.
std::optional<int> Fun_LoadMaterialFrame(int machine, int material, int frame);
// Takes frame `frame` out of the machine's frame file of the material; the file is replaced whole.
void Fun_DeleteMaterialFrame(int machine, int material, int frame);
