#include "core/shared_state.h"
#include "link/plugin_protocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// The input is a run of datagrams, each a two-byte big-endian length and that many bytes; what is
// left when a length reaches past the end is the last datagram. A 10 ms step follows each one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    g_PluginCountdown = 0;
    kq::link::PluginPictures pictures;
    qsizetype at = 0;
    int datagrams = 0;
    while (at < bytes.size()) {
        qsizetype p = at;
        const auto length = qsizetype(kq::link::Fun_MsgReadBE(2, bytes, p));
        at = std::min(bytes.size(), p);
        const QByteArrayView datagram = bytes.sliced(at, std::min(length, bytes.size() - at));
        at += datagram.size();
        pictures.receive(datagram);
        pictures.tick();
        ++datagrams;
        // The picture to sample is always whole and within the buffer.
        if (pictures.hasPicture()) {
            const qsizetype expected = qsizetype(pictures.width()) * pictures.height() * 4;
            if (pictures.width() <= 0 || pictures.height() <= 0 || expected > kq::link::kPluginImageBytes ||
                pictures.pixels().size() != expected)
                __builtin_trap();
        }
    }
    if (pictures.received() + pictures.droppedPictures() + pictures.dropped() > datagrams) __builtin_trap();
    g_PluginCountdown = 0;
    return 0;
}
