// The plug-in program's messages: exact bytes, chunked pictures, the warm-up, what is dropped and
// pictures that lack bytes.
#include "core/shared_state.h"
#include "link/plugin_protocol.h"

#include <gtest/gtest.h>
#include <iterator>
#include <vector>

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
    const auto sendChunks = [&] {
        EXPECT_EQ(pictures.receive(chunk(0, 1000, first)), PluginPictures::Event::Chunk);
        EXPECT_EQ(pictures.receive(chunk(1000, 1000, second)), PluginPictures::Event::Chunk);
        EXPECT_EQ(pictures.receive(chunk(5, 0, {})), PluginPictures::Event::Chunk); // count 0 changes nothing
    };
    for (int i = 1; i <= 19; ++i) {
        sendChunks();
        EXPECT_EQ(pictures.receive(done(2000, 25, 20)), PluginPictures::Event::Picture);
        EXPECT_FALSE(pictures.hasPicture()) << i;
    }
    EXPECT_EQ(g_PluginCountdown, 50);
    sendChunks();
    pictures.receive(done(2000, 25, 20)); // the 20th
    ASSERT_TRUE(pictures.hasPicture());
    EXPECT_EQ(pictures.pixels(), first + second);
    EXPECT_EQ(pictures.received(), 20);
    EXPECT_EQ(pictures.droppedPictures(), 0);
    // The countdown runs out after 50 ticks of 10 ms.
    for (int i = 1; i < 50; ++i)
        EXPECT_FALSE(pictures.tick());
    EXPECT_TRUE(pictures.tick());
    EXPECT_FALSE(pictures.tick());
    EXPECT_EQ(g_PluginCountdown, 0);
}

// The picture's bytes in chunks of 1,000, then its "0152"; what the "0152" gave.
PluginPictures::Event sendPicture(PluginPictures& pictures, const QByteArray& pixels, int width, int height) {
    for (qsizetype at = 0; at < pixels.size(); at += 1000) {
        const QByteArray piece = pixels.mid(at, 1000);
        pictures.receive(chunk(at, piece.size(), piece));
    }
    return pictures.receive(done(pixels.size(), width, height));
}

TEST(PluginProtocol, APictureIsTakenOnlyWhenEveryByteCameSinceThePictureBefore) {
    struct Range {
        int offset, count;
    };
    const struct {
        const char* name;
        std::vector<Range> chunks; // of the second picture, 40 x 25 pixels = 4,000 bytes
        bool whole;
    } cases[] = {
        {"every chunk in order", {{0, 1000}, {1000, 1000}, {2000, 1000}, {3000, 1000}}, true},
        {"bottom-up", {{3000, 1000}, {2000, 1000}, {1000, 1000}, {0, 1000}}, true},
        {"interleaved", {{0, 1000}, {2000, 1000}, {1000, 1000}, {3000, 1000}}, true},
        {"one chunk for all", {{0, 4000}}, true},
        {"overlapping chunks", {{0, 1500}, {1000, 1500}, {2500, 1500}}, true},
        {"overlapping, last first", {{2500, 1500}, {0, 1500}, {1000, 1500}}, true},
        {"a chunk repeated", {{0, 1000}, {1000, 1000}, {1000, 1000}, {2000, 2000}}, true},
        {"a chunk repeated out of order", {{3000, 1000}, {1000, 1000}, {3000, 1000}, {0, 1000}, {2000, 1000}}, true},
        {"odd sizes, not on word bounds", {{3, 3997}, {0, 3}}, true},
        {"a chunk past the picture's bytes", {{0, 3000}, {3000, 2000}}, true},
        // The "0152" between two pictures was lost: the bytes of the two together make a whole one.
        {"chunks of two pictures",
         {{0, 1000}, {1000, 1000}, {2000, 1000}, {3000, 1000}, {0, 1000}, {2000, 1000}},
         true},
        {"a chunk lost in the middle", {{0, 1000}, {1000, 1000}, {3000, 1000}}, false},
        {"a chunk lost, bottom-up", {{3000, 1000}, {1000, 1000}, {0, 1000}}, false},
        {"the first chunk lost", {{1000, 1000}, {2000, 1000}, {3000, 1000}}, false},
        {"the last chunk lost", {{0, 1000}, {1000, 1000}, {2000, 1000}}, false},
        {"the last byte lost", {{0, 1000}, {1000, 1000}, {2000, 1000}, {3000, 999}}, false},
        {"one byte in the middle lost", {{0, 2047}, {2048, 1952}}, false},
        // As many bytes as the picture has, yet one range of it never came.
        {"a repeat in place of a lost chunk", {{0, 1000}, {1000, 1000}, {1000, 1000}, {3000, 1000}}, false},
        {"empty chunks only", {{0, 0}, {1000, 0}}, false},
        {"no chunk at all", {}, false},
    };
    // Every byte different from its neighbours, so that a chunk written to the wrong place shows.
    const QByteArray before(4000, 'a');
    QByteArray after(5000, '\0');
    for (int i = 0; i < after.size(); ++i)
        after[i] = char(i % 251);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_PluginCountdown = 0;
        PluginPictures pictures;
        for (int i = 0; i < kPluginWarmUp; ++i)
            ASSERT_EQ(sendPicture(pictures, before, 40, 25), PluginPictures::Event::Picture);
        ASSERT_TRUE(pictures.hasPicture());
        g_PluginCountdown = 7;
        for (const Range& r : c.chunks)
            pictures.receive(chunk(r.offset, r.count, after.mid(r.offset, r.count)));
        EXPECT_EQ(pictures.receive(done(4000, 40, 25)),
                  c.whole ? PluginPictures::Event::Picture : PluginPictures::Event::Incomplete);
        EXPECT_EQ(pictures.pixels(), c.whole ? after.left(4000) : before);
        EXPECT_EQ(pictures.received(), kPluginWarmUp + (c.whole ? 1 : 0));
        EXPECT_EQ(pictures.droppedPictures(), c.whole ? 0 : 1);
        EXPECT_EQ(pictures.dropped(), 0); // no message was
        // Only a whole picture keeps the plug-in's pictures in place of the screen.
        EXPECT_EQ(g_PluginCountdown, c.whole ? kPluginCountdownTicks : 7);
    }
    g_PluginCountdown = 0;
}

TEST(PluginProtocol, IncompletePicturesDoNotCountTowardTheWarmUp) {
    g_PluginCountdown = 0;
    PluginPictures pictures;
    const QByteArray pixels(3000, 'p');
    for (int i = 1; i < kPluginWarmUp; ++i)
        sendPicture(pictures, pixels, 25, 30);
    pictures.receive(chunk(0, 1000, pixels.left(1000)));
    EXPECT_EQ(pictures.receive(done(3000, 25, 30)), PluginPictures::Event::Incomplete);
    EXPECT_EQ(pictures.warmUp(), kPluginWarmUp - 1);
    EXPECT_FALSE(pictures.hasPicture());
    EXPECT_EQ(sendPicture(pictures, pixels, 25, 30), PluginPictures::Event::Picture);
    ASSERT_TRUE(pictures.hasPicture());
    EXPECT_EQ(pictures.pixels(), pixels);
    EXPECT_EQ(pictures.received(), kPluginWarmUp);
    EXPECT_EQ(pictures.droppedPictures(), 1);
    g_PluginCountdown = 0;
}

TEST(PluginProtocol, TheLargestPictureIsTakenAndASmallerOneAfterItIsViewedWhole) {
    g_PluginCountdown = 0;
    PluginPictures pictures;
    const QByteArray small(400, 's');
    for (int i = 1; i < kPluginWarmUp; ++i)
        sendPicture(pictures, small, 10, 10);
    // 2,500,000 x 1 pixels: 10,000,000 bytes in one chunk, the size the buffer's last index allows.
    QByteArray largest(10000000, 'L');
    largest[9999999] = 'z';
    pictures.receive(chunk(0, largest.size(), largest));
    EXPECT_EQ(pictures.receive(done(kPluginImageBytes, 2500000, 1)), PluginPictures::Event::Picture);
    ASSERT_TRUE(pictures.hasPicture());
    EXPECT_EQ(pictures.width(), 2500000);
    EXPECT_EQ(pictures.pixels().size(), 10000000);
    EXPECT_EQ(pictures.pixels().back(), 'z');
    EXPECT_EQ(sendPicture(pictures, small, 10, 10), PluginPictures::Event::Picture);
    EXPECT_EQ(pictures.pixels(), small);
    g_PluginCountdown = 0;
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
