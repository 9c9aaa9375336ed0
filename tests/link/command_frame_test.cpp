#include "link/command_frame.h"
#include "support/in_language.h"

#include <gtest/gtest.h>

namespace {

using namespace kq::link;

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

TEST(CommandFrame, ExitFrameIsSeventeenBytesWithTheHighByteOfTheSum) {
    // 5A 45 4C 55 4E 41 2D 4E 45 54 + 00 01 00 00 80 5E sum to 0x03C2.
    EXPECT_EQ(encodeFrame(0, code::Disconnect, {}), hex("5A454C554E412D4E4554 000100 00 805E 03"));
}

TEST(CommandFrame, SumIsKeptTo16BitsAndOnlyItsHighByteLeaves) {
    struct Case {
        const char* name;
        uint8_t machine;
        uint16_t code;
        QByteArray payload;
        uint8_t check;
    };
    const Case cases[] = {
        // 0x2E4 + 0x80 + 0x13 + 256 x 0xFF = 66,167, kept as 631 = 0x0277.
        {"sum past 65,535", 0, code::WriteParameters, QByteArray(256, char(0xFF)), 0x02},
        // 0x2E4 + 3 + 0x80 + 0x50 = 0x3B7.
        {"machine number counts", 3, code::PortData, {}, 0x03},
        // 0x2E4 + 0x80 + 0x12 + 0xFF = 0x475.
        {"payload byte counts", 0, code::ReadParameters, hex("FF"), 0x04},
    };
    for (const auto& c : cases) {
        const QByteArray f = encodeFrame(c.machine, c.code, c.payload);
        ASSERT_EQ(f.size(), 17 + c.payload.size()) << c.name;
        EXPECT_EQ(uint8_t(f.back()), c.check) << c.name;
        EXPECT_EQ(uint8_t(f[13]), c.machine) << c.name;
    }
}

TEST(CommandFrame, BuildFrameKeepsBothSumBytesAndRefusesOversizedPayloads) {
    uint8_t buf[kFrameBufBytes] = {};
    int32_t len = 0;
    ASSERT_TRUE(buildFrame(buf, len, 0, code::Disconnect, {}));
    EXPECT_EQ(len, 18);
    EXPECT_EQ(buf[16], 0x03);
    EXPECT_EQ(buf[17], 0xC2);
    EXPECT_TRUE(buildFrame(buf, len, 1, code::PortData, QByteArray(kMaxPayloadBytes, 'x')));
    EXPECT_EQ(len, kFrameBufBytes);
    len = 7;
    EXPECT_FALSE(buildFrame(buf, len, 1, code::PortData, QByteArray(kMaxPayloadBytes + 1, 'x')));
    EXPECT_EQ(len, 7);
    EXPECT_TRUE(encodeFrame(1, code::PortData, QByteArray(kMaxPayloadBytes + 1, 'x')).isEmpty());
}

TEST(CommandFrame, PortDataSubHeader) {
    EXPECT_EQ(portDataPayload(2, 1125, 3, hex("0A0B")), hex("00 02 0002 0465 03 00 0A0B"));
    EXPECT_EQ(portDataPayload(6, 1200, 1, QByteArray(1050, '\0')).left(8), hex("00 06 041A 04B0 01 00"));
}

TEST(HexPayload, BlanksBetweenPairsAndClearRefusals) {
    const kq::test::InLanguage english(kq::Language::English); // the refusals' words below
    EXPECT_EQ(parseHexBytes("FA 01 ff"), hex("FA01FF"));
    EXPECT_EQ(parseHexBytes("FA01FF"), hex("FA01FF"));
    EXPECT_EQ(parseHexBytes(""), QByteArray());
    QString why;
    EXPECT_FALSE(parseHexBytes("FA0", &why));
    EXPECT_TRUE(why.contains("odd")) << why.toStdString();
    EXPECT_FALSE(parseHexBytes("FA0G", &why));
    EXPECT_TRUE(why.contains("0G")) << why.toStdString();
    EXPECT_FALSE(parseHexBytes("&H01"));

    EXPECT_EQ(parseCommandCode("805E"), 0x805E);
    EXPECT_EQ(parseCommandCode("80a4"), 0x80A4);
    EXPECT_FALSE(parseCommandCode("805"));
    EXPECT_FALSE(parseCommandCode("80 5E"));
    EXPECT_FALSE(parseCommandCode("X05E"));
}

} // namespace
