#pragma once

// Open-protocol packets written out by hand from the published layouts, for the program's packers and
// the stand-in's decoders alike. Every E1.31 packet here has the CID 00 01 .. 0F and the source name "kq".

#include <QByteArray>

namespace kq::test::vectors {

inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

inline QByteArray e131Root(const char* lengthAndVector) {
    return hex("0010 0000 4153432D45312E3137000000") + hex(lengthAndVector) + hex("000102030405060708090A0B0C0D0E0F");
}

// 129 bytes: root length 113, framing 91, DMP 14; priority 100, no sync, sequence 7, universe 1, four
// properties (start code 0 and slots 0A 0B 0C).
inline QByteArray e131Data() {
    return e131Root("7071 00000004") + hex("705B 00000002") + QByteArray("kq") + QByteArray(62, '\0') +
           hex("64 0000 07 00 0001 700E 02 A1 0000 0001 0004 00 0A0B0C");
}

// The same slots, stream terminated: priority 200, sync address 7000, sequence 255, universe 63,999.
inline QByteArray e131Terminated() {
    return e131Root("7071 00000004") + hex("705B 00000002") + QByteArray("kq") + QByteArray(62, '\0') +
           hex("C8 1B58 FF 40 F9FF 700E 02 A1 0000 0001 0004 00 0A0B0C");
}

// 49 bytes: root length 33, framing 11; sequence 9, sync address 7000, two reserved.
inline QByteArray e131Sync() {
    return e131Root("7021 00000008") + hex("700B 00000001 09 1B58 0000");
}

// Sequence 1, port-address 0x1234 (SubUni 0x34, Net 0x12), three bytes padded to four.
inline QByteArray artDmxOdd() {
    return hex("4172742D4E657400 0050 000E 01 00 34 12 0004 01020300");
}

inline QByteArray artSync() {
    return hex("4172742D4E657400 0052 000E 0000");
}

// Sequence 3, RGB 8 bits, display, offset 0x00010203, three bytes; pushed or not.
inline QByteArray ddpData(bool push) {
    return hex(push ? "41 03 0B 01 00010203 0003 AABBCC" : "40 03 0B 01 00010203 0003 AABBCC");
}

// Sequence 5, no data.
inline QByteArray ddpPushOnly() {
    return hex("41 05 0B 01 00000000 0000");
}

} // namespace kq::test::vectors
