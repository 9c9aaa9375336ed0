#include "frame_store.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace kq::show {
namespace {

constexpr std::array<uint8_t, 256> kQuantised = [] {
    std::array<uint8_t, 256> q{};
    for (int v = 0; v < 256; ++v)
        q[size_t(v)] = v <= 7 ? 0 : v <= 15 ? 10 : v >= 251 ? 250 : uint8_t(v);
    return q;
}();

// The packing the machines have always received. The worst case (three image bytes to four) stays
// below 18,000 bytes. A zero joins a run when the byte after it, as captured (before its own
// quantisation), is zero too; every other byte is written quantised. Done in stretches: the
// quantisation over the whole image, then runs found with memchr and literals copied whole.
QByteArray packClassic(FrameImage& image) {
    uint8_t* img = image.data();
    // The captured bytes 21..13,500: what decides where runs are.
    std::array<uint8_t, kPackedImageEnd - kFrameHeaderBytes> captured;
    std::memcpy(captured.data(), img + kFrameHeaderBytes + 1, captured.size());
    // captured[j - 20] is the captured byte j + 1.
    const uint8_t* const next = captured.data();
    for (int j = kFrameHeaderBytes; j < kPackedImageEnd; ++j) {
        const uint8_t v = img[j];
        img[j] = v <= 7 ? 0 : v <= 15 ? 10 : v >= 251 ? 250 : v;
    }
    QByteArray out(18000, Qt::Uninitialized);
    auto* o = reinterpret_cast<uint8_t*>(out.data());
    qsizetype n = 0;
    int j = kFrameHeaderBytes;
    while (j < kPackedImageEnd) {
        // Literals up to the next byte that starts a run: a zero whose captured successor is zero.
        int k = j;
        while (k < kPackedImageEnd) {
            const auto* z = static_cast<const uint8_t*>(
                std::memchr(next + (k - kFrameHeaderBytes), 0, size_t(kPackedImageEnd - k)));
            if (!z) {
                k = kPackedImageEnd;
                break;
            }
            k = int(z - next) + kFrameHeaderBytes;
            if (img[k] == 0) break;
            ++k;
        }
        std::memcpy(o + n, img + j, size_t(k - j));
        n += k - j;
        j = k;
        int zeros = 0;
        while (j < kPackedImageEnd && img[j] == 0 && next[j - kFrameHeaderBytes] == 0) {
            ++zeros;
            ++j;
        }
        while (zeros > 0) {
            const int count = std::min(zeros, kMaxRun);
            o[n++] = kRunMarker;
            o[n++] = uint8_t(count);
            zeros -= count;
        }
    }
    out.truncate(n);
    return out;
}

// Zero stretches of fewer than three bytes as literals, longer ones as runs of at least three: every
// group of output bytes stands for at least as many image bytes, so the result never exceeds 13,480
// bytes. The machines and the reader decode it as they decode the classic form.
QByteArray packCompact(const FrameImage& image) {
    QByteArray out;
    out.reserve(kMaxPackedBytes);
    int j = kFrameHeaderBytes;
    while (j < kPackedImageEnd) {
        if (image[size_t(j)] != 0) {
            out.append(char(image[size_t(j++)]));
            continue;
        }
        int zeros = 0;
        while (j + zeros < kPackedImageEnd && image[size_t(j + zeros)] == 0)
            ++zeros;
        j += zeros;
        while (zeros >= 3) {
            const int n = std::min(zeros, kMaxRun);
            out.append(char(kRunMarker)).append(char(n));
            zeros -= n;
        }
        out.append(QByteArray(zeros, '\0'));
    }
    return out;
}

} // namespace

QByteArray packFrame(FrameImage& image) {
    QByteArray packed = packClassic(image);
    if (packed.size() > kMaxPackedBytes) packed = packCompact(image);
    return packed;
}

void unpackFrame(QByteArrayView packed, FrameImage& image) {
    image.fill(0);
    constexpr qsizetype kOutEnd = kFrameHeaderBytes + qsizetype(kRecordedPorts) * kPortBlockBytes;
    const auto* p = reinterpret_cast<const uint8_t*>(packed.data());
    const qsizetype size = packed.size();
    qsizetype out = kFrameHeaderBytes;
    qsizetype j = 0;
    while (j < size && out < kOutEnd) {
        // Literals up to the next run marker, copied whole; output past port 6 is dropped.
        const auto* marker = static_cast<const uint8_t*>(std::memchr(p + j, kRunMarker, size_t(size - j)));
        const qsizetype literals = (marker ? marker - p : size) - j;
        const qsizetype taken = std::min(literals, kOutEnd - out);
        std::memcpy(image.data() + out, p + j, size_t(taken));
        out += taken;
        j += literals;
        if (!marker || out >= kOutEnd) break;
        const int n = j + 1 < size ? p[j + 1] : 0;
        j += 2;
        out = std::min(out + n, kOutEnd); // the image is zero already
    }
}

QByteArray encodeSlot(int frameNumber, QByteArrayView packed) {
    QByteArray slot(kFrameHeaderBytes, '\0');
    const auto L = int(packed.size());
    const uint8_t head[8] = {
        0x17, 0x08, 0x09, 0x88, uint8_t(frameNumber >> 8), uint8_t(frameNumber), uint8_t(L >> 8), uint8_t(L)};
    std::memcpy(slot.data(), head, sizeof head);
    slot.append(packed);
    return slot;
}

QByteArrayView slotPackedData(QByteArrayView slot) {
    if (slot.size() < kFrameHeaderBytes) return {};
    const int L = uint8_t(slot[6]) << 8 | uint8_t(slot[7]);
    return slot.sliced(kFrameHeaderBytes, std::min<qsizetype>(L, slot.size() - kFrameHeaderBytes));
}

QByteArray encodeFrameFileHeader(RecordingMode mode, int frameCount) {
    QByteArray h(kFrameFileHeaderBytes, '\0');
    const uint8_t head[8] = {0x17, 0x08, 0x15, 0x88, 4, uint8_t(mode), uint8_t(frameCount >> 8), uint8_t(frameCount)};
    std::memcpy(h.data(), head, sizeof head);
    return h;
}

int frameCountOf(QByteArrayView frameFile) {
    if (frameFile.size() < 8) return 0;
    return uint8_t(frameFile[6]) << 8 | uint8_t(frameFile[7]);
}

QByteArray withoutFrame(QByteArrayView file, int frame) {
    QByteArray header = file.first(std::min<qsizetype>(file.size(), kFrameFileHeaderBytes)).toByteArray();
    header.resize(kFrameFileHeaderBytes, '\0');
    const int n = frameCountOf(header);
    // A frame the file does not hold leaves it as it is: the count must not drop (or wrap below 0).
    if (frame < 1 || frame > n) return file.toByteArray();
    // So does a file that claims more frames than it has slots for: rebuilding it would turn a few
    // damaged bytes into up to a gigabyte of zeros.
    const qsizetype slotsHeld =
        file.size() > kFrameFileHeaderBytes ? (file.size() - kFrameFileHeaderBytes - 1) / kSlotBytes + 1 : 0;
    if (n > slotsHeld) return file.toByteArray();
    const int left = n - 1;
    header[6] = char((left >> 8) & 0xFF);
    header[7] = char(left & 0xFF);
    QByteArray out = header;
    // Each kept frame is copied as 18,101 bytes at 13,500-byte steps, as the deletion always did:
    // the tail of the last copy stands behind the last slot and carries no meaning.
    for (int k = 1; k <= n; ++k) {
        if (k == frame) continue;
        out.resize(out.size() - (out.size() > kFrameFileHeaderBytes ? kFrameImageBytes - kSlotBytes : 0));
        QByteArray slot =
            file.sliced(std::min(slotOffset(k), file.size()))
                .first(std::min<qsizetype>(kFrameImageBytes, std::max<qsizetype>(0, file.size() - slotOffset(k))))
                .toByteArray();
        slot.resize(kFrameImageBytes, '\0');
        out.append(slot);
    }
    return out;
}

QString frameFolder(const QString& appFolder, int machine) {
    return appFolder + QStringLiteral("/Q_glow/ID") + QString::number(machine);
}

QString frameFilePath(const QString& appFolder, int machine, int material) {
    return frameFolder(appFolder, machine) + QStringLiteral("/S") + Fun_ZeroPad(material, 3) + QStringLiteral(".KQ3");
}

} // namespace kq::show

using namespace kq::show;

int Fun_PortOffset(int port) {
    return port >= 1 && port <= 8 ? (port - 1) * kPortBlockBytes : 0;
}

uint8_t Fun_QuantizeLevel(int level) {
    return kQuantised[size_t(std::clamp(level, 0, 255))];
}

int32_t Fun_ReadFrameCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    return frameCountOf(f.read(21));
}

std::optional<int> Fun_LoadMaterialFrame(int machine, int material, int frame) {
    if (machine < 1 || machine > kMaxMachine) return std::nullopt;
    QFile f(frameFilePath(g_AppFolder, machine, material));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const int n = frameCountOf(f.read(21));
    QByteArray slot;
    if (frame >= 1 && f.seek(slotOffset(frame))) slot = f.read(kFrameImageBytes);
    FrameImage image;
    unpackFrame(slotPackedData(slot), image);
    for (int port = 1; port <= kRecordedPorts; ++port) {
        // Positions 0 to 2,250 of each block, as the review has always copied them.
        std::memcpy(g_LivePlanes[machine][port], image.data() + kFrameHeaderBytes + Fun_PortOffset(port),
                    kPortBlockBytes + 1);
        g_PortHasData[port][machine] = 1;
    }
    return n;
}

void Fun_DeleteMaterialFrame(int machine, int material, int frame) {
    const QString path = frameFilePath(g_AppFolder, machine, material);
    const auto bytes = kq::readWholeFile(path);
    if (!bytes) return;
    kq::writeFileAtomically(path, withoutFrame(*bytes, frame));
}
