#include "show/fseq.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kq::show::FseqReader reader;
    if (reader.open(bytes)) {
        // Highly compressed blocks of one-channel frames can hold billions of them: the first 65,536
        // and the last see every kind of block.
        const quint32 frames = reader.info().frameCount;
        for (quint32 k = 0; k < frames && k < 65536; ++k)
            if (!reader.frame(k)) break;
        if (frames > 0) reader.frame(frames - 1);
    }
    // The same through a device, which reads into buffers of its own.
    QBuffer device;
    device.setData(bytes.toByteArray());
    device.open(QIODevice::ReadOnly);
    kq::show::FseqReader fromDevice;
    if (fromDevice.open(device) && fromDevice.info().frameCount > 0) {
        fromDevice.frame(0);
        fromDevice.frame(fromDevice.info().frameCount - 1);
    }
    return 0;
}
