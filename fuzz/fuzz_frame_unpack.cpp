#include "show/frame_store.h"
#include "show/inspect.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kq::show::FrameImage image;
    kq::show::unpackFrame(bytes, image);
    kq::show::packedDataProblem(bytes);
    // What unpacks must pack again within its slot and come back the same.
    kq::show::FrameImage again = image;
    const QByteArray packed = kq::show::packFrame(again);
    if (packed.size() > kq::show::kMaxPackedBytes) __builtin_trap();
    kq::show::FrameImage back;
    kq::show::unpackFrame(packed, back);
    for (int j = 20; j < kq::show::kPackedImageEnd; ++j)
        if (back[size_t(j)] != again[size_t(j)]) __builtin_trap();
    return 0;
}
