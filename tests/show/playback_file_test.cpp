#include "core/gbk_codec.h"
#include "core/shared_state.h"
#include "show/frame_store.h"
#include "show/playback_file.h"
#include "support/fakes.h"
#include "support/show_files.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace kq::show;

quint32 be(const QByteArray& b, qsizetype at, int size) {
    quint32 v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | uint8_t(b[at + i]);
    return v;
}

PlaybackInfo fixedInfo() {
    return {"KQ510-03", "KQ-510 V1.8", QStringLiteral("/安装/a"), "PC1", QDateTime(QDate(2026, 12, 6), QTime(9, 5, 3))};
}

TEST(PlaybackFile, InformationBlockBytes) {
    const QByteArray block = encodeInformationBlock(fixedInfo());
    const QByteArray b = QByteArray("\x18\x01\x22", 3) + QByteArray(2, '\0') +
                         " Xulie:KQ510-03 Version:KQ-510 V1.8 Xulie:KQ510-03 Path:/\xB0\xB2\xD7\xB0/a PC:PC1"
                         " Time:2026\xC4\xEA"
                         "12\xD4\xC2"
                         "06\xC8\xD5"
                         "09\xB5\xE3"
                         "05\xB7\xD6";
    const int n = int(b.size());
    ASSERT_EQ(block.size(), 2 * n + 5);
    EXPECT_EQ(block.left(5), QByteArray("\x18\x01\x22", 3) + char((2 * n + 5) >> 8) + char((2 * n + 5) & 0xFF));
    QByteArray expectedB = b;
    expectedB[3] = block[3];
    expectedB[4] = block[4];
    EXPECT_EQ(block.mid(5), expectedB.toHex().toUpper());
}

TEST(PlaybackFile, NameTextRules) {
    EXPECT_EQ(encodeNameText(QStringLiteral("a\u00e9\u4e00\ub200\ub201")),
              QByteArray("a\xE9") + kq::gbk::encode(QStringLiteral("\u4e00")) + "??");
}

TEST(PlaybackFile, HandMadeFileByteForByte) {
    // Material 2 with two frames of packed lengths 3 and 0.
    QByteArray frameFile = encodeFrameFileHeader(RecordingMode::Blue, 2);
    QByteArray s1 = encodeSlot(1, "\x01\x02\x03");
    s1.resize(kSlotBytes);
    QByteArray s2 = encodeSlot(2, "");
    s2.resize(kSlotBytes);
    frameFile += s1 + s2 + QByteArray(kSlotBytes + 1, '\0');
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    ASSERT_TRUE(writePlaybackFile(
        out, [&](int k) { return k == 2 ? std::optional(frameFile) : std::nullopt; }, fixedInfo()));
    const QByteArray f = out.data();

    const quint32 block = 1024 + 2 * 6 + 23 + 20;
    EXPECT_EQ(f.left(4), QByteArray::fromHex("17081489"));
    EXPECT_EQ(f.mid(4, 20), QByteArray(20, '\0')); // material 1
    // Material 2: block at 4,096, frame file of 1,024 + 3 x 13,500 + 1 = 41,525 bytes, 2 frames, mode 3.
    EXPECT_EQ(f.mid(24, 20), QByteArray::fromHex("00001000 0000A235 0002 03") + QByteArray(9, '\0'));
    EXPECT_EQ(f.mid(3604, 4), QByteArray::fromHex("18012315"));
    EXPECT_EQ(be(f, 3608, 4), 4096 + block);
    EXPECT_EQ(f.mid(3612, 484), QByteArray(484, '\0'));
    EXPECT_EQ(f.mid(4096, 1024), frameFile.left(1024));
    EXPECT_EQ(f.mid(4096 + 1024, 12), QByteArray::fromHex("0000140C 0003 00001423 0000"));
    EXPECT_EQ(f.mid(4096 + 1036, 23), s1.left(23));
    EXPECT_EQ(f.mid(4096 + 1059, 20), s2.left(20));
    EXPECT_EQ(f.mid(4096 + int(block)), encodeInformationBlock(fixedInfo()));
}

TEST(PlaybackFile, FilterEmptyFramesAndMissingFolders) {
    kq::test::TempHome home;
    for (int material : {2, 5, 9})
        kq::test::writeFrameFile(g_AppFolder, 3, material, RecordingMode::Rgb, {kq::test::patternedImage(material)});
    // Material 7: three frames whose packed data is empty.
    QByteArray empty = encodeFrameFileHeader(RecordingMode::Rgb, 3);
    for (int k = 1; k <= 3; ++k) {
        QByteArray slot = encodeSlot(k, {});
        slot.resize(kSlotBytes);
        empty += slot;
    }
    kq::writeFileAtomically(frameFilePath(g_AppFolder, 3, 7), empty);

    ASSERT_TRUE(Fun_BuildPlaybackFile(3, 5));
    QByteArray f = kq::readWholeFile(playbackFilePath(g_AppFolder, 3)).value();
    for (int k = 1; k <= 180; ++k)
        EXPECT_EQ(f.mid(4 + 20 * (k - 1), 20) == QByteArray(20, '\0'), k != 5) << k;
    EXPECT_EQ(be(f, 4 + 20 * 4, 4), 4096u);

    ASSERT_TRUE(Fun_BuildPlaybackFile(3, 0));
    f = kq::readWholeFile(playbackFilePath(g_AppFolder, 3)).value();
    quint32 expectedOffset = 4096, total = 0;
    for (int k : {2, 5, 7, 9}) {
        const qsizetype e = 4 + 20 * (k - 1);
        EXPECT_EQ(be(f, e, 4), expectedOffset) << k;
        const QByteArray frames = kq::readWholeFile(frameFilePath(g_AppFolder, 3, k)).value();
        EXPECT_EQ(be(f, e + 4, 4), quint32(frames.size())) << k;
        const quint32 length = quint32(encodeMaterialBlock(frames, expectedOffset).size());
        if (k == 7) {
            EXPECT_EQ(length, 1024u + 26 * 3);
        }
        expectedOffset += length;
        total += length;
    }
    EXPECT_EQ(be(f, 3608, 4), 4096 + total);
    EXPECT_TRUE(f.mid(int(4096 + total)).startsWith("\x18\x01\x22"));

    // A machine without a frame folder ends with no playback file, even if it had one.
    kq::writeFileAtomically(playbackFilePath(g_AppFolder, 4), "old");
    ASSERT_TRUE(Fun_BuildPlaybackFile(4, 0));
    EXPECT_FALSE(QFile::exists(playbackFilePath(g_AppFolder, 4)));
}

// The chase frame that overflowed its slot goes through recording, review and the playback file intact.
TEST(PlaybackFile, OverflowingFrameSurvivesRecordReviewAndBuild) {
    kq::test::TempHome home;
    const FrameImage chase = kq::test::chaseImage();
    const FrameImage after = kq::test::patternedImage(4);
    kq::test::writeFrameFile(g_AppFolder, 1, 1, RecordingMode::Rgb, {chase, after});
    const QByteArray file = kq::readWholeFile(frameFilePath(g_AppFolder, 1, 1)).value();
    EXPECT_LE(be(file, slotOffset(1) + 6, 2), quint32(kMaxPackedBytes));
    EXPECT_EQ(file.mid(slotOffset(2), 4), QByteArray::fromHex("17080988")); // frame 2's slot is whole

    ASSERT_EQ(Fun_LoadMaterialFrame(1, 1, 1), 2);
    for (int i = 0; i < 2250; ++i)
        ASSERT_EQ(g_LivePlanes[1][1][i], Fun_QuantizeLevel(chase[size_t(20 + i)])) << i;

    ASSERT_TRUE(Fun_BuildPlaybackFile(1, 0));
    const QByteArray f = kq::readWholeFile(playbackFilePath(g_AppFolder, 1)).value();
    const quint32 record1 = be(f, 4096 + 1024, 4), length1 = be(f, 4096 + 1024 + 4, 2);
    FrameImage back;
    unpackFrame(QByteArrayView(f).sliced(record1 + 20, length1), back);
    for (int j = 20; j < 13500; ++j)
        ASSERT_EQ(back[size_t(j)], Fun_QuantizeLevel(chase[size_t(j)])) << j;
    const quint32 record2 = be(f, 4096 + 1024 + 6, 4);
    EXPECT_EQ(record2, record1 + 20 + length1);
    EXPECT_EQ(f.mid(record2, 6), QByteArray::fromHex("17080988 0002"));
}

} // namespace
