// Review of recorded frames on the machines, and the file and download panels, on the offscreen
// platform with the stand-in machines.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "model/model_data.h"
#include "show/download_panel.h"
#include "show/frame_store.h"
#include "show/fseq.h"
#include "show/playback_file.h"
#include "show/review_panel.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"
#include "support/show_files.h"
#include "support/widgets.h"
#include "support/window_with_machines.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

using namespace kq::show;
using kq::test::child;
using kq::test::only;

using Utilities = kq::test::WindowWithMachines;

TEST_F(Utilities, VersionQueryWritesOneLinePerMachine) {
    only<DownloadPanel>(*window).Command获取版本号_Click();
    const QStringList lines = child<QPlainTextEdit>(*window, "Text下载SD卡文件信息").toPlainText().split('\n');
    ASSERT_GE(lines.size(), 11);
    EXPECT_EQ(lines[0], QStringLiteral("获取版本号->"));
    EXPECT_EQ(lines[1], machines->machine(1)->version);
    EXPECT_EQ(lines[2], machines->machine(2)->version);
    EXPECT_EQ(lines[3], QStringLiteral("获取失败"));
    only<DownloadPanel>(*window).Command重启_Click();
    Fun_Delay(20);
    EXPECT_EQ(received(1, 0x80A4), 1);
}

TEST_F(Utilities, ReviewPlaysTheFramesOnTheMachinesAndDeletesOne) {
    const auto images = {kq::test::patternedImage(1), kq::test::patternedImage(2), kq::test::patternedImage(3)};
    kq::test::writeFrameFile(g_AppFolder, 1, 4, RecordingMode::Rgb, images);
    window->Option连接状态_Click(OperationState::Review);
    child<QComboBox>(*window, "Combo素材编辑").setCurrentIndex(3);
    emit child<QComboBox>(*window, "Combo素材编辑").activated(3);
    child<QScrollBar>(*window, "HScroll帧数").setMaximum(3);
    child<QScrollBar>(*window, "HScroll帧数").setValue(2);
    window->Fun_连接状态时间循环();
    window->Fun_连接状态时间循环(); // the other halves
    Fun_Delay(30);
    EXPECT_EQ(child<QLabel>(*window, "Label总帧数").text(), QStringLiteral("共3帧"));
    FrameImage two = kq::test::patternedImage(2);
    packFrame(two); // quantises it as stored
    const QByteArray& block = machines->machine(1)->portBlocks[2];
    for (int i = 0; i < 2250; ++i)
        ASSERT_EQ(uint8_t(block[i]), two[size_t(20 + Fun_PortOffset(2) + i)]) << i;

    child<QPushButton>(*window, "Command播放").click();
    EXPECT_EQ(child<QPushButton>(*window, "Command播放").text(), QStringLiteral("暂停"));
    EXPECT_FALSE(child<QPushButton>(*window, "Command删除帧").isEnabled());
    child<QScrollBar>(*window, "HScroll帧数").setValue(3);
    window->Fun_连接状态时间循环();
    EXPECT_EQ(child<QScrollBar>(*window, "HScroll帧数").value(), 1); // play wraps from N to 1
    child<QPushButton>(*window, "Command播放").click();
    EXPECT_EQ(child<QPushButton>(*window, "Command播放").text(), QStringLiteral("播放"));

    child<QScrollBar>(*window, "HScroll帧数").setValue(2);
    child<QPushButton>(*window, "Command删除帧").click();
    window->Fun_连接状态时间循环();
    EXPECT_FALSE(only<ReviewPanel>(*window).deleteRequested());
    EXPECT_EQ(Fun_ReadFrameCount(frameFilePath(g_AppFolder, 1, 4)), 2);
}

TEST_F(Utilities, FileAndDownloadButtons) {
    kq::test::writeFrameFile(g_AppFolder, 1, 2, RecordingMode::Rgb, {kq::test::patternedImage(1)});
    window->Option连接状态_Click(OperationState::FileOperations);
    child<QPushButton>(*window, "Command生成SD卡文件").click();
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("已经生成文件 !"));
    EXPECT_EQ(child<QPushButton>(*window, "Command生成SD卡文件").text(), QStringLiteral("生成播放文件"));
    EXPECT_TRUE(QFile::exists(playbackFilePath(g_AppFolder, 1)));

    window->Option连接状态_Click(OperationState::Download);
    child<QPushButton>(*window, "CommandSD卡文件").click();
    EXPECT_TRUE(child<QPlainTextEdit>(*window, "Text下载SD卡文件信息")
                    .toPlainText()
                    .endsWith(QStringLiteral("->下载成功！！！\n")))
        << child<QPlainTextEdit>(*window, "Text下载SD卡文件信息").toPlainText().toStdString();
    EXPECT_EQ(machines->machine(1)->sdCard, kq::readWholeFile(playbackFilePath(g_AppFolder, 1)).value());
    EXPECT_FALSE(g_PauseTasks);
}

// "导出FSEQ…" and "导入FSEQ…" in "文件操作": the reviewed material to a sequence file and back, asking
// before a recorded show is replaced and before a step time the machines cannot play is resampled.
TEST_F(Utilities, SequenceFilesFromAndToTheFilePanel) {
    g_Materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 749, 0);
    std::vector<FrameImage> images;
    for (int k = 0; k < 4; ++k) {
        FrameImage image{};
        for (int a = 0; a < 2250; ++a)
            image[size_t(kFrameHeaderBytes + a)] = uint8_t((a + k * 40) % 256);
        packFrame(image);
        images.push_back(image);
    }
    kq::test::writeFrameFile(g_AppFolder, 1, 1, RecordingMode::Rgb, images);
    const QByteArray recorded = kq::readWholeFile(frameFilePath(g_AppFolder, 1, 1)).value();
    window->Option连接状态_Click(OperationState::FileOperations);
    home.dialogs.fileNames = {home.path("show")};
    child<QPushButton>(*window, "Command导出FSEQ").click();
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("导出完成！\r\n") + home.path("show.fseq"));
    EXPECT_EQ(child<QPushButton>(*window, "Command导出FSEQ").text(), QStringLiteral("导出FSEQ…"));
    // Back in over the recorded show: only when the user says so.
    home.dialogs.fileNames = {home.path("show.fseq")};
    home.dialogs.answers = {kq::MessageAnswer::No};
    QFile::remove(frameFilePath(g_AppFolder, 1, 1));
    kq::test::writeFrameFile(g_AppFolder, 1, 1, RecordingMode::Rgb, {FrameImage{}});
    child<QPushButton>(*window, "Command导入FSEQ").click();
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("素材1已经有录制的帧。要用这个序列文件替换它们吗？"));
    EXPECT_EQ(frameCountOf(kq::readWholeFile(frameFilePath(g_AppFolder, 1, 1)).value()), 1);
    home.dialogs.fileNames = {home.path("show.fseq")};
    home.dialogs.answers = {kq::MessageAnswer::Yes};
    child<QPushButton>(*window, "Command导入FSEQ").click();
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("导入完成！素材1：4帧，帧时间36毫秒"));
    EXPECT_EQ(kq::readWholeFile(frameFilePath(g_AppFolder, 1, 1)).value(), recorded);
    // A file of 25 ms steps: resampled to the frame period only when the user agrees.
    FseqWriteOptions o;
    o.ranges = {{0, 2250}};
    o.frameCount = 36;
    o.stepMs = 25;
    o.compression = FseqCompression::None;
    QFile fast(home.path("fast.fseq"));
    ASSERT_TRUE(fast.open(QIODevice::WriteOnly));
    ASSERT_TRUE(writeFseqFile(
        fast, o, [](quint32, QByteArray&) {}, nullptr));
    fast.close();
    home.dialogs.fileNames = {home.path("fast.fseq")};
    home.dialogs.answers = {kq::MessageAnswer::No};
    child<QPushButton>(*window, "Command导入FSEQ").click();
    EXPECT_TRUE(home.dialogs.shown.back().text.startsWith(QStringLiteral("序列文件的步长是25毫秒")));
    EXPECT_EQ(kq::readWholeFile(frameFilePath(g_AppFolder, 1, 1)).value(), recorded);
    home.dialogs.fileNames = {home.path("fast.fseq")};
    home.dialogs.answers = {kq::MessageAnswer::Yes, kq::MessageAnswer::Yes};
    child<QPushButton>(*window, "Command导入FSEQ").click();
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("导入完成！素材1：25帧，帧时间36毫秒")); // 36 x 25 / 36
}

} // namespace
