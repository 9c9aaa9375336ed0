#include "show/inspect.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kq::show::inspectModelFile(bytes, false);
    kq::show::inspectModelFile(bytes, true);
    return 0;
}
