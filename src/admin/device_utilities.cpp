#include "device_utilities.h"

#include "core/gbk_codec.h"

namespace kq::admin {

QByteArray dmxPayload(const std::array<int, kDmxChannels + 1>& levels, int colourOrder) {
    QByteArray payload;
    for (int i = 1; i <= kDmxChannels; ++i)
        payload.append(char(levels[size_t(i)] & 0xFF));
    return payload.append(char(colourOrder & 0xFF));
}

QByteArray ledTestPayload(int machine, int port, int colour, bool chaseSlow, bool chaseFast, int colourOrder) {
    const int chase = chaseSlow ? 1 : chaseFast ? 6 : 0;
    const int bytes[] = {machine == 0 ? 0xFF : machine, port == 0 ? 0xFF : port, colour, chase, colourOrder};
    QByteArray payload;
    for (int b : bytes)
        payload.append(char(b & 0xFF));
    return payload;
}

QString versionText(QByteArrayView reply) {
    return gbk::decode(reply);
}

} // namespace kq::admin
