#include "show/frame_store.h"
#include "show/inspect.h"
#include "show/playback_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kq::show::inspectFrameFile(bytes);
    // Damaged frame files must neither crash the deletion nor the playback build, and whatever count
    // they claim, the work stays bounded by their size.
    const int n = kq::show::frameCountOf(bytes);
    const QByteArray kept = kq::show::withoutFrame(bytes, n > 1 ? n / 2 : 1);
    if (kept.size() > bytes.size() + kq::show::kFrameImageBytes + kq::show::kFrameFileHeaderBytes) __builtin_trap();
    kq::show::encodeMaterialBlock(bytes, 4096);
    return 0;
}
