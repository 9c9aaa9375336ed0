// The plug-in program's messages: exact bytes, chunked pictures, the warm-up and what is dropped.
#include "core/shared_state.h"
#include "link/plugin_protocol.h"

#include <gtest/gtest.h>
#include <iterator>

namespace {

using namespace kq::link;

QByteArray be32(int64_t v) {
    const auto u = uint32_t(v);
    return QByteArray(1, char(u >> 24)) + char(u >> 16) + char(u >> 8) + char(u);
}
QByteArray chunk(int64_t offset, int64_t count, const QByteArray& bytes) {
    return encodeMessage(msg::PictureChunk, be32(offset) + be32(count) + bytes);
}
QByteArray done(int64_t size, int64_t width, int64_t height) {
    return encodeMessage(msg::PictureDone, be32(size) + be32(width) + be32(height));
}

TEST(PluginProtocol, MessageBytes) {
    EXPECT_EQ(encodeMessage(msg::NextPicture), QByteArray("KQ-510>>\x01\x80", 10));
    EXPECT_EQ(encodePictureChunk(258, -2, "ab"), QByteArray::fromHex("4B512D3531303E3E 0151 00000102 FFFFFFFE 6162"));
    EXPECT_EQ(encodePictureDone(40, 10, 1), QByteArray::fromHex("4B512D3531303E3E 0152 00000028 0000000A 00000001"));
    EXPECT_EQ(Fun_MsgCode(done(4, 1, 1)), "0152");
    EXPECT_EQ(Fun_MsgCode(QByteArray("KQ-510>x\x01\x52", 10)), "");
    EXPECT_EQ(Fun_MsgCode(QByteArray("KQ-510>>\x01", 9)), "");
    qsizetype p = 0;
    EXPECT_EQ(Fun_MsgReadBE(4, QByteArray::fromHex("FFFFFFFE 0000012C"), p), -2);
    EXPECT_EQ(Fun_MsgReadBE(4, QByteArray::fromHex("FFFFFFFE 0000012C"), p), 300);
    EXPECT_EQ(p, 8);
}

TEST(PluginProtocol, ChunksMakeAPictureShownAfterTheWarmUp) {
    g_PluginCountdown = 0;
    PluginPictures pictures;
    QByteArray first(1000, 'a'), second(1000, 'b');
    EXPECT_EQ(pictures.receive(chunk(0, 1000, first)), PluginPictures::Event::Chunk);
    EXPECT_EQ(pictures.receive(chunk(1000, 1000, second)), PluginPictures::Event::Chunk);
    EXPECT_EQ(pictures.receive(chunk(5, 0, {})), PluginPictures::Event::Chunk); // count 0 changes nothing
    for (int i = 1; i <= 19; ++i) {
        EXPECT_EQ(pictures.receive(done(2000, 25, 20)), PluginPictures::Event::Picture);
        EXPECT_FALSE(pictures.hasPicture()) << i;
    }
    EXPECT_EQ(g_PluginCountdown, 50);
    pictures.receive(done(2000, 25, 20)); // the 20th
    ASSERT_TRUE(pictures.hasPicture());
    EXPECT_EQ(pictures.pixels(), first + second);
    // The countdown runs out after 50 ticks of 10 ms.
    for (int i = 1; i < 50; ++i)
        EXPECT_FALSE(pictures.tick());
    EXPECT_TRUE(pictures.tick());
    EXPECT_FALSE(pictures.tick());
    EXPECT_EQ(g_PluginCountdown, 0);
}

TEST(PluginProtocol, WhatWouldReachOutsideTheBufferIsDroppedAndCounted) {
    g_PluginCountdown = 0;
    PluginPictures pictures;
    const struct {
        const char* name;
        QByteArray message;
    } dropped[] = {
        {"past the buffer", chunk(kPluginImageBytes - 2, 4, "abcd")},
        {"negative offset", chunk(-4, 4, "abcd")},
        {"negative count", chunk(0, -1, {})},
        {"count beyond the datagram", chunk(0, 100, "abcd")},
        {"huge offset plus count", chunk(0x7FFFFFFF, 4, "abcd")},
        {"size past the buffer", done(kPluginImageBytes + 1, 1, 1)},
        {"rows past the size", done(400, 20, 20)},
        {"negative width", done(400, -1, 10)},
        {"negative height", done(400, 10, -1)},
        {"negative size", done(-4, 1, 1)},
        {"zero size", done(0, 0, 0)},
        {"zero width", done(400, 0, 10)},
        {"zero height", done(400, 10, 0)},
        // 0x7FFFFFFF x 0x7FFFFFFF x 4 overflows 64 bits and wraps to a negative number.
        {"width and height at the 32-bit limit", done(kPluginImageBytes, 0x7FFFFFFF, 0x7FFFFFFF)},
        {"width at the 32-bit limit", done(kPluginImageBytes, 0x7FFFFFFF, 1)},
        {"one row past the buffer", done(kPluginImageBytes, kPluginImageBytes / 4 + 1, 1)},
    };
    for (const auto& d : dropped)
        EXPECT_EQ(pictures.receive(d.message), PluginPictures::Event::Dropped) << d.name;
    EXPECT_EQ(pictures.dropped(), int(std::size(dropped)));
    EXPECT_EQ(pictures.warmUp(), 0);
    EXPECT_EQ(g_PluginCountdown, 0);
    EXPECT_EQ(pictures.receive(QByteArray("hello")), PluginPictures::Event::None);
    EXPECT_EQ(pictures.receive(encodeMessage(0x0199, be32(1))), PluginPictures::Event::None);
}

} // namespace
