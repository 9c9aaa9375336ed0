#include "device_utilities.h"

#include "core/gbk_codec.h"

namespace kq::admin {
namespace {
QString hexByte(int v) { return QStringLiteral("%1").arg(v & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); }
} // namespace

QString dmxPayload(const std::array<int, kDmxChannels + 1>& levels, int colourOrder) {
    QString text;
    for (int i = 1; i <= kDmxChannels; ++i) text += hexByte(levels[size_t(i)]) + QLatin1Char(' ');
    return text + hexByte(colourOrder) + QLatin1Char(' ');
}

QString ledTestPayload(int machine, int port, int colour, bool chaseSlow, bool chaseFast, int colourOrder) {
    const int chase = chaseSlow ? 1 : chaseFast ? 6 : 0;
    return hexByte(machine == 0 ? 0xFF : machine) + hexByte(port == 0 ? 0xFF : port) + hexByte(colour) +
           hexByte(chase) + hexByte(colourOrder);
}

QString versionText(QByteArrayView reply) { return gbk::decode(reply); }

} // namespace kq::admin
