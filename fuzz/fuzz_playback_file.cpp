#include "show/inspect.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kq::show::inspectPlaybackFile(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
