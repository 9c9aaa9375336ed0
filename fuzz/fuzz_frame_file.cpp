#include "show/frame_store.h"
#include "show/inspect.h"
#include "show/playback_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kq::show::inspectFrameFile(bytes);
    // Damaged frame files must neither crash the deletion nor the playback build; frame counts are
    // capped so that a hostile count does not turn into gigabytes.
    if (kq::show::frameCountOf(bytes) <= 64) {
        kq::show::withoutFrame(bytes, 1);
        kq::show::encodeMaterialBlock(bytes, 4096);
    }
    return 0;
}
