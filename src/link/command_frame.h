#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

// Command frames to the machines: network name, three fixed bytes, machine number, 16-bit code, payload,
// and one check byte, the high byte of the 16-bit sum of everything before it.

namespace kq::link {

inline constexpr char kNetworkName[] = "ZELUNA-NET";
inline constexpr int kNetworkNameLength = 10;
inline constexpr int kFrameHeaderBytes = 16;
inline constexpr int kFrameBufBytes = 2501;
inline constexpr int kReplyBufBytes = 2001;
inline constexpr int kMaxPayloadBytes = kFrameBufBytes - kFrameHeaderBytes - 2; // 2,483
inline constexpr int kPortDataSubHeaderBytes = 8;
inline constexpr int kHalfBlockBytes = 1125;
inline constexpr int kMaxChunkBytes = 1200;

// Command codes, PC to machine.
namespace code {
inline constexpr uint16_t VersionQuery = 0x8010;
inline constexpr uint16_t ReadParameters = 0x8012;
inline constexpr uint16_t WriteParameters = 0x8013;
inline constexpr uint16_t SelectChip = 0x8014;
inline constexpr uint16_t ListChips = 0x8015;
inline constexpr uint16_t SetByChip = 0x8016;
inline constexpr uint16_t FactoryTest = 0x8040;
inline constexpr uint16_t PortData = 0x8050;
inline constexpr uint16_t LiveReset = 0x8054;
inline constexpr uint16_t LiveShow = 0x8055;
inline constexpr uint16_t LedStripTest = 0x805D;
inline constexpr uint16_t Disconnect = 0x805E;
inline constexpr uint16_t Dmx512 = 0x805F;
inline constexpr uint16_t FirmwareStart = 0x80A0;
inline constexpr uint16_t FirmwareData = 0x80A1;
inline constexpr uint16_t FirmwareVerify = 0x80A2;
inline constexpr uint16_t FirmwareFinish = 0x80A3;
inline constexpr uint16_t Restart = 0x80A4;
inline constexpr uint16_t ShowHandshake = 0x80B0;
inline constexpr uint16_t ShowData = 0x80B1;
inline constexpr uint16_t ShowEnd = 0x80B2;
inline constexpr uint16_t ShowClose = 0x80B3;
inline constexpr uint16_t R770Switch = 0x80F4;
} // namespace code

// The acknowledgement of download and firmware packets: exactly these two bytes.
inline constexpr char kAck[] = "\x88\x66";

// Appends one byte at buf[len] and advances len; a full buffer takes nothing and returns false.
bool appendFrameByte(std::span<uint8_t> buf, int32_t& len, int value);
// Builds a whole frame in buf from index 0, including both bytes of the sum; len ends as n + 18.
// Returns false, with nothing built, when the payload does not fit.
bool buildFrame(std::span<uint8_t> buf, int32_t& len, uint8_t machine, uint16_t commandCode, QByteArrayView payload);
// The datagram that leaves the PC: the frame without the low byte of the sum (n + 17 bytes).
QByteArray encodeFrame(uint8_t machine, uint16_t commandCode, QByteArrayView payload);

// Payload of an "8050" frame: 00, port, count, start (both big-endian), colour order, 00, then the data.
QByteArray portDataPayload(int port, int start, int colourOrder, QByteArrayView data);

// Hex text, byte pairs optionally separated by blanks, to bytes. Odd length or other characters give
// nullopt and a reason in error.
std::optional<QByteArray> parseHexBytes(const QString& text, QString* error = nullptr);
// A four-digit command code ("805E"); nullopt unless it is exactly four hex digits.
std::optional<uint16_t> parseCommandCode(const QString& text);

} // namespace kq::link
