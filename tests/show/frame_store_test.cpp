#include "core/shared_state.h"
#include "show/frame_store.h"
#include "support/fakes.h"
#include "support/show_files.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace kq::show;

TEST(FramePacking, AllZeroFrameIs54Runs) {
    FrameImage image{};
    const QByteArray packed = packFrame(image);
    ASSERT_EQ(packed.size(), 108);
    for (int i = 0; i < 53; ++i)
        EXPECT_EQ(packed.mid(2 * i, 2), QByteArray::fromHex("FEFA")) << i;
    EXPECT_EQ(packed.right(2), QByteArray::fromHex("FEE6")); // 230
}

TEST(FramePacking, StretchEndsWithALiteralZeroAndLevelsAreQuantised) {
    FrameImage image{};
    const uint8_t start[] = {0, 0, 5, 0, 20, 254, 255, 9, 12, 0, 0, 0, 3};
    std::copy(std::begin(start), std::end(start), image.begin() + 20);
    image[34] = 100; // then zeros to the end
    const QByteArray packed = packFrame(image);
    // Each zero stretch is a run closed by a literal 0; 5 and 3 quantise to zeros and join the stretches
    // after them; 254 and 255 become 250; 9 and 12 become 10.
    EXPECT_EQ(packed.left(18), QByteArray::fromHex("FE01 00 FE01 00 14 FA FA 0A 0A FE02 00 FE01 00 64"));
    EXPECT_EQ(image[25], 250);
    EXPECT_EQ(image[32], 0);
    struct {
        int in, out;
    } q[] = {{0, 0}, {7, 0}, {8, 10}, {15, 10}, {16, 16}, {250, 250}, {251, 250}, {255, 250}};
    for (auto c : q)
        EXPECT_EQ(Fun_QuantizeLevel(c.in), c.out) << c.in;
}

TEST(FramePacking, UnpackRestoresPortsOneToSixAndLeavesTheLast20BytesZero) {
    FrameImage image;
    image.fill(77);
    FrameImage stored = image;
    const QByteArray packed = packFrame(stored);
    EXPECT_EQ(packed.size(), 13480);
    FrameImage back;
    unpackFrame(packed, back);
    for (int j = 20; j < 13500; ++j)
        ASSERT_EQ(back[size_t(j)], 77) << j;
    for (int j = 13500; j < 13520; ++j)
        EXPECT_EQ(back[size_t(j)], 0) << j;
    EXPECT_EQ(back[0], 0);
}

TEST(FramePacking, ChasePatternThatWouldOverflowItsSlotIsPackedCompactly) {
    FrameImage image = kq::test::chaseImage();
    FrameImage classic = image;
    const QByteArray packed = packFrame(image);
    EXPECT_LE(packed.size(), kMaxPackedBytes);
    FrameImage back;
    unpackFrame(packed, back);
    for (int j = 20; j < 13500; ++j)
        ASSERT_EQ(back[size_t(j)], Fun_QuantizeLevel(classic[size_t(j)])) << j;
}

TEST(FramePacking, DamagedPackedDataStaysInsideTheImage) {
    FrameImage back;
    unpackFrame(QByteArray(20000, char(254)), back);
    unpackFrame(QByteArray::fromHex("FE"), back);
    QByteArray big(20000, char(7));
    unpackFrame(big, back);
    EXPECT_EQ(back[13519], 7);
    EXPECT_EQ(back[13520], 0);
    EXPECT_TRUE(slotPackedData(QByteArray::fromHex("1708")).isEmpty());
    EXPECT_EQ(slotPackedData(encodeSlot(1, "abc").left(22)), QByteArrayView("ab"));
}

// The packing and unpacking written out byte by byte, the plainest way: the fast ones must give the
// same bytes for every kind of frame.
QByteArray referencePack(FrameImage& image) {
    QByteArray out;
    int run = -1;
    for (int j = kFrameHeaderBytes; j < kPackedImageEnd; ++j) {
        const uint8_t next = image[size_t(j + 1)];
        const uint8_t v = image[size_t(j)];
        const uint8_t b = v <= 7 ? 0 : v <= 15 ? 10 : v >= 251 ? 250 : v;
        image[size_t(j)] = b;
        if (b != 0 || next != 0) {
            out.append(char(b));
            run = -1;
            continue;
        }
        if (run < 0) {
            out.append(char(kRunMarker)).append('\0');
            run = int(out.size()) - 1;
        }
        out[run] = char(uint8_t(out[run]) + 1);
        if (uint8_t(out[run]) >= kMaxRun) run = -1;
    }
    return out;
}

void referenceUnpack(QByteArrayView packed, FrameImage& image) {
    image.fill(0);
    const qsizetype end = kFrameHeaderBytes + qsizetype(kRecordedPorts) * kPortBlockBytes;
    qsizetype out = kFrameHeaderBytes;
    for (qsizetype j = 0; j < packed.size() && out < end; ++j) {
        if (uint8_t(packed[j]) == kRunMarker)
            out = std::min(out + (j + 1 < packed.size() ? uint8_t(packed[++j]) : 0), end);
        else
            image[size_t(out++)] = uint8_t(packed[j]);
    }
}

TEST(FramePacking, TheFastPackingGivesTheBytesOfThePlainOne) {
    uint32_t seed = 12345;
    const auto random = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    // Frames from dense colour to nearly black, with low levels that quantise to zero, long zero
    // stretches (runs past 250), zeros at the very end, and the byte after the last one set or not.
    for (int frame = 0; frame < 400; ++frame) {
        FrameImage image{};
        const uint32_t zeroPercent = uint32_t(frame % 10) * 11;
        const int stretch = 1 + frame % 7 * 90;
        for (int j = 0; j < kFrameImageBytes; ++j) {
            const uint32_t r = random();
            image[size_t(j)] =
                (j / stretch) % 100 < int(zeroPercent) ? (r % 4 == 0 ? uint8_t(r % 9) : 0) : uint8_t(r >> 4);
        }
        if (frame % 3 == 0) image[kPackedImageEnd] = 0;
        FrameImage fast = image, plain = image;
        const QByteArray packed = packFrame(fast);
        const QByteArray expected = referencePack(plain);
        if (expected.size() <= kMaxPackedBytes) {
            ASSERT_EQ(packed, expected) << frame;
            ASSERT_EQ(fast, plain) << frame; // quantised in place alike
        }
        FrameImage a, b;
        unpackFrame(packed, a);
        referenceUnpack(packed, b);
        ASSERT_EQ(a, b) << frame;
        // Damaged data unpacks alike too: cut anywhere, a marker last.
        const QByteArray cut = packed.left(qsizetype(random() % uint32_t(packed.size() + 1)));
        unpackFrame(cut, a);
        referenceUnpack(cut, b);
        ASSERT_EQ(a, b) << frame;
        unpackFrame(cut + char(kRunMarker), a);
        referenceUnpack(cut + char(kRunMarker), b);
        ASSERT_EQ(a, b) << frame;
    }
}

TEST(FrameFiles, PathsHeadersAndCounts) {
    EXPECT_EQ(frameFilePath("/a", 2, 7), "/a/Q_glow/ID2/S007.KQ3");
    EXPECT_EQ(frameFilePath("/a", 10, 50), "/a/Q_glow/ID10/S050.KQ3");
    EXPECT_EQ(encodeFrameFileHeader(RecordingMode::Green, 300).left(9), QByteArray::fromHex("1708158804 02 012C 00"));
    EXPECT_EQ(encodeSlot(2, QByteArray::fromHex("0A0B0C")),
              QByteArray::fromHex("17080988 0002 0003 000000000000000000000000 0A0B0C"));
    const int offsets[] = {0, 0, 2250, 4500, 6750, 9000, 11250, 13500, 15750, 0};
    for (int p = 0; p <= 9; ++p)
        EXPECT_EQ(Fun_PortOffset(p), offsets[p]) << p;

    kq::test::TempHome home;
    EXPECT_EQ(Fun_ReadFrameCount(frameFilePath(g_AppFolder, 1, 1)), 0);
    kq::test::writeFrameFile(g_AppFolder, 1, 1, RecordingMode::Rgb, {kq::test::patternedImage(1)});
    EXPECT_EQ(Fun_ReadFrameCount(frameFilePath(g_AppFolder, 1, 1)), 1);
}

TEST(FrameFiles, LoadingAFramePutsItOnTheLivePlanes) {
    kq::test::TempHome home;
    const FrameImage one = kq::test::patternedImage(1), two = kq::test::patternedImage(2);
    kq::test::writeFrameFile(g_AppFolder, 4, 7, RecordingMode::Rgb, {one, two});
    EXPECT_EQ(Fun_LoadMaterialFrame(4, 8, 1), std::nullopt);
    EXPECT_EQ(Fun_LoadMaterialFrame(4, 7, 2), 2);
    FrameImage q = two;
    for (int j = 20; j < 13500; ++j)
        q[size_t(j)] = Fun_QuantizeLevel(q[size_t(j)]);
    for (int port = 1; port <= 6; ++port) {
        EXPECT_EQ(g_PortHasData[port][4], 1);
        for (int i = 0; i < 2250; ++i)
            ASSERT_EQ(g_LivePlanes[4][port][i], port == 6 && i >= 2230 ? 0 : q[size_t(20 + Fun_PortOffset(port) + i)])
                << port << "/" << i;
    }
    EXPECT_EQ(g_PortHasData[7][4], 0);
}

TEST(FrameFiles, DeletingFramesKeepsTheOthersInOrder) {
    kq::test::TempHome home;
    const auto images = {kq::test::patternedImage(1), kq::test::patternedImage(2), kq::test::patternedImage(3)};
    kq::test::writeFrameFile(g_AppFolder, 1, 3, RecordingMode::Red, images);
    const QString path = frameFilePath(g_AppFolder, 1, 3);
    const QByteArray before = kq::readWholeFile(path).value();
    Fun_DeleteMaterialFrame(1, 3, 2);
    const QByteArray after = kq::readWholeFile(path).value();
    EXPECT_EQ(frameCountOf(after), 2);
    EXPECT_EQ(after[5], 1); // mode kept
    EXPECT_EQ(after.size(), 1024 + 13500 + 18101);
    EXPECT_EQ(after.mid(slotOffset(1), 13500), before.mid(slotOffset(1), 13500));
    EXPECT_EQ(after.mid(slotOffset(2), 13500), before.mid(slotOffset(3), 13500)); // frame number 3 inside
    EXPECT_EQ(QDir(frameFolder(g_AppFolder, 1)).entryList(QDir::Files), QStringList{"S003.KQ3"});

    kq::test::writeFrameFile(g_AppFolder, 2, 1, RecordingMode::Rgb, {kq::test::patternedImage(1)});
    Fun_DeleteMaterialFrame(2, 1, 1);
    const QByteArray empty = kq::readWholeFile(frameFilePath(g_AppFolder, 2, 1)).value();
    EXPECT_EQ(frameCountOf(empty), 0);
    EXPECT_EQ(empty.size(), 1024);
    Fun_DeleteMaterialFrame(2, 1, 1); // nothing left to delete: the count stays 0 rather than wrapping
    EXPECT_EQ(kq::readWholeFile(frameFilePath(g_AppFolder, 2, 1)).value(), empty);
    Fun_DeleteMaterialFrame(1, 3, 5); // a frame the file does not hold
    EXPECT_EQ(kq::readWholeFile(path).value(), after);
    Fun_DeleteMaterialFrame(3, 1, 1); // no file: nothing happens

    // A file that claims more frames than it has slots for stays as it is, whatever it claims.
    const QByteArray claims = QByteArray::fromHex("17081588 0400 FFFF 00");
    EXPECT_EQ(withoutFrame(claims, 1), claims);
    const QByteArray twoOfThree = before.left(slotOffset(3));
    EXPECT_EQ(withoutFrame(twoOfThree, 1), twoOfThree);
}

} // namespace
