#pragma once

#include "core/settings_file.h"
#include "show/frame_store.h"

#include <QDir>
#include <vector>

namespace kq::test {

// A frame with a different level at every pixel and colour; seed varies it.
inline show::FrameImage patternedImage(int seed) {
    show::FrameImage image{};
    for (int j = 20; j < 13520; ++j)
        image[size_t(j)] = uint8_t((j * 7 + seed * 31) % 256);
    return image;
}

// Every third level lit (0, 0, x): the chase that packs three bytes into four.
inline show::FrameImage chaseImage() {
    show::FrameImage image{};
    for (int j = 20; j < 13520; ++j)
        image[size_t(j)] = (j - 20) % 3 == 2 ? 200 : 0;
    return image;
}

// Writes a frame file as recording does: header, slots, and one byte past the last whole slot.
inline QByteArray frameFileBytes(show::RecordingMode mode, const std::vector<show::FrameImage>& images) {
    QByteArray file = show::encodeFrameFileHeader(mode, int(images.size()));
    int k = 0;
    for (show::FrameImage image : images) {
        QByteArray slot = show::encodeSlot(++k, show::packFrame(image));
        slot.resize(show::kSlotBytes, '\0');
        file += slot;
    }
    file += QByteArray(show::kSlotBytes + 1, '\0');
    return file;
}

inline void writeFrameFile(const QString& appFolder, int machine, int material, show::RecordingMode mode,
                           const std::vector<show::FrameImage>& images) {
    QDir().mkpath(show::frameFolder(appFolder, machine));
    writeFileAtomically(show::frameFilePath(appFolder, machine, material), frameFileBytes(mode, images));
}

} // namespace kq::test
