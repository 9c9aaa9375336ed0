#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// Payloads of the device utilities.
namespace kq::admin {

inline constexpr int kDmxChannels = 20;

// "805F": the 20 channel levels, channel 1 first, then the colour order.
QByteArray dmxPayload(const std::array<int, kDmxChannels + 1>& levels, int colourOrder);

// "805D": machine (0 = all, sent as FF), port (0 = all, FF), test colour 0..4, chase mode
// (1 slow, 6 fast, 0 none) and the colour order.
QByteArray ledTestPayload(int machine, int port, int colour, bool chaseSlow, bool chaseFast, int colourOrder);

// One reply of the version query as the installers read it: every byte a character of code page 936.
QString versionText(QByteArrayView reply);

} // namespace kq::admin
