#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "model/model_data.h"
#include "model/modelling_window.h"
#include "record/recorder.h"
#include "record/recording_panel.h"
#include "show/frame_store.h"
#include "show/inspect.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"
#include "support/widgets.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <vector>

namespace {

using kq::test::child;
using kq::test::only;

using namespace kq::record;
using namespace kq::show;

class Recording : public testing::Test {
protected:
    void SetUp() override {
        Fun_ClearAllModels();
        capture.cycle = 1000; // a new picture on every tick
        window = kq::test::openMainWindow(capture);
        g_Materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 49, 0);
        g_Materials[1][2] = makeMaterial(2, 3, 1, kShapeVertical, 5, 0, 5, 29);
    }
    void TearDown() override {
        window.reset();
        Fun_ClearAllModels();
    }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            window->Fun_Timer截屏时间();
            ticks.push_back(planesOf(1));
        }
    }
    // A whole RGB recording of n frames: start, n ticks, stop and the tick that writes the files.
    void recordRgb(int frames, bool anew) {
        child<QCheckBox>(*window, "Check重新录制").setChecked(anew);
        child<QPushButton>(*window, "Command录制方式0").click();
        tick(frames);
        child<QPushButton>(*window, "Command停止录制").click();
        tick();
    }
    static std::vector<uint8_t> planesOf(int machine) {
        return std::vector<uint8_t>(g_LivePlanes[machine][1], g_LivePlanes[machine][1] + kPortBlockBytes);
    }
    QByteArray fileOf(int machine, int material = 1) const {
        return kq::readWholeFile(frameFilePath(g_AppFolder, machine, material)).value_or(QByteArray());
    }
    static FrameImage frame(const QByteArray& file, int k) {
        FrameImage image;
        unpackFrame(slotPackedData(QByteArrayView(file).sliced(slotOffset(k))), image);
        return image;
    }

    kq::test::TempHome home;
    kq::test::PatternCapture capture;
    std::unique_ptr<MainWindow> window;
    std::vector<std::vector<uint8_t>> ticks; // machine 1's port 1 block after each tick
};

TEST_F(Recording, ThreeRgbFramesBecomeAFrameFileOfTheSampledLevels) {
    child<QCheckBox>(*window, "Check重新录制").setChecked(true);
    child<QPushButton>(*window, "Command录制方式0").click();
    EXPECT_FALSE(child<QPushButton>(*window, "Command录制方式1").isEnabled());
    EXPECT_TRUE(child<QPushButton>(*window, "Command停止录制").isEnabled());
    tick(3);
    child<QPushButton>(*window, "Command停止录制").click();
    EXPECT_EQ(child<QPushButton>(*window, "Command停止录制").text(), QStringLiteral("正在生成文件！"));
    tick();
    const QByteArray file = fileOf(1);
    ASSERT_EQ(frameCountOf(file), 3);
    EXPECT_EQ(file.size(), 1024 + 13500 * 4 + 1);
    EXPECT_EQ(file[5], 0);
    for (int k = 1; k <= 3; ++k) {
        const FrameImage image = frame(file, k);
        for (int i = 0; i < kPortBlockBytes; ++i)
            ASSERT_EQ(image[size_t(20 + i)], ticks[size_t(k - 1)][size_t(i)]) << k << "/" << i;
    }
    EXPECT_EQ(frameCountOf(fileOf(2)), 3);
    EXPECT_TRUE(child<QPushButton>(*window, "Command录制方式1").isEnabled());
    EXPECT_EQ(child<QPushButton>(*window, "Command停止录制").text(), QStringLiteral("停止录制"));
    EXPECT_FALSE(only<RecordingPanel>(*window).recorder().recording);
}

TEST_F(Recording, RedOnlyKeepsTheRedPlane) {
    child<QCheckBox>(*window, "Check重新录制").setChecked(true);
    child<QPushButton>(*window, "Command录制方式1").click();
    tick(2);
    child<QPushButton>(*window, "Command停止录制").click();
    tick();
    const QByteArray file = fileOf(1);
    ASSERT_EQ(frameCountOf(file), 2);
    EXPECT_EQ(file[5], 1);
    const FrameImage image = frame(file, 2);
    for (int i = 0; i < 750; ++i)
        ASSERT_EQ(image[size_t(20 + i)], ticks[1][size_t(i)]) << i;
    for (int i = 750; i < kPortBlockBytes; ++i)
        ASSERT_EQ(image[size_t(20 + i)], 0) << i;
}

TEST_F(Recording, SingleStepWithoutEnterStaysOnOneFrameAndEnterMovesOn) {
    child<QCheckBox>(*window, "Check重新录制").setChecked(true);
    child<QCheckBox>(*window, "Check单步录制").setChecked(true);
    child<QPushButton>(*window, "Command录制方式0").click();
    tick(3);
    EXPECT_EQ(only<RecordingPanel>(*window).recorder().frameCounter, 1);
    g_StepFlag = true;
    tick();
    EXPECT_FALSE(g_StepFlag);
    tick();
    child<QPushButton>(*window, "Command停止录制").click();
    tick();
    const QByteArray file = fileOf(1);
    ASSERT_EQ(frameCountOf(file), 2);
    const FrameImage first = frame(file, 1);
    for (int i = 0; i < kPortBlockBytes; ++i)
        ASSERT_EQ(first[size_t(20 + i)], ticks[3][size_t(i)]) << i; // the last overwrite
}

TEST_F(Recording, SimilarFrameSearchEndsTheShowBeforeTheRepeat) {
    capture.cycle = 4; // the show repeats every 4 frames
    Fun_WriteIni(g_IniPath, "相似度最少帧", "6");
    child<QCheckBox>(*window, "Check重新录制").setChecked(true);
    child<QCheckBox>(*window, "Check自动查找相似帧").setChecked(true);
    child<QPushButton>(*window, "Command录制方式0").click();
    // Start and reference at frame 1; frames 5 would match but come before the minimum; frame 9 matches.
    tick(9);
    EXPECT_TRUE(only<RecordingPanel>(*window).liveOutput().stopRequest);
    EXPECT_EQ(child<QCheckBox>(*window, "Check自动查找相似帧").text(), QStringLiteral("100%"));
    EXPECT_EQ(only<RecordingPanel>(*window).recorder().frameCounter, 9);
    tick();
    EXPECT_EQ(frameCountOf(fileOf(1)), 8);
    EXPECT_EQ(child<QCheckBox>(*window, "Check自动查找相似帧").text(), QStringLiteral("自动查找相似帧"));
}

TEST_F(Recording, ContinuingKeepsTheFramesRecordedBefore) {
    recordRgb(2, true);
    const QByteArray before = fileOf(1);
    recordRgb(2, false);
    const QByteArray after = fileOf(1);
    ASSERT_EQ(frameCountOf(after), 4);
    EXPECT_EQ(after.mid(slotOffset(1), 2 * 13500), before.mid(slotOffset(1), 2 * 13500));
    EXPECT_EQ(uint8_t(after[slotOffset(3) + 5]), 3); // frame number 3 follows
}

TEST_F(Recording, ContinuingAModelWithoutMachine1GoesOnAfterTheLongestFile) {
    g_Materials[1][1] = T_Material{}; // the model drives machine 2 only
    recordRgb(3, true);
    const QByteArray before = fileOf(2);
    ASSERT_EQ(frameCountOf(before), 3);
    EXPECT_TRUE(fileOf(1).isEmpty());
    recordRgb(2, false);
    const QByteArray after = fileOf(2);
    ASSERT_EQ(frameCountOf(after), 5);
    EXPECT_EQ(after.mid(slotOffset(1), 3 * 13500), before.mid(slotOffset(1), 3 * 13500));
    EXPECT_EQ(uint8_t(after[slotOffset(4) + 5]), 4);
}

TEST_F(Recording, AMachineNewToAContinuedRecordingGetsBlankFramesBeforeItsOwn) {
    const T_Material machine1 = g_Materials[1][1];
    g_Materials[1][1] = T_Material{}; // first recorded with machine 2 only
    recordRgb(2, true);
    g_Materials[1][1] = machine1;
    recordRgb(2, false);
    const QByteArray one = fileOf(1), two = fileOf(2);
    ASSERT_EQ(frameCountOf(one), 4);
    ASSERT_EQ(frameCountOf(two), 4);
    // Every slot is a frame, so the playback build takes the files.
    EXPECT_TRUE(inspectFrameFile(one).ok()) << inspectFrameFile(one).problem.toStdString();
    EXPECT_TRUE(inspectFrameFile(two).ok()) << inspectFrameFile(two).problem.toStdString();
    for (int i = 0; i < kPortBlockBytes; ++i)
        ASSERT_EQ(frame(one, 2)[size_t(20 + i)], 0) << i;
    EXPECT_EQ(frame(one, 3)[20], ticks[3][0]);
}

TEST_F(Recording, AFadeOutStopIsServedWhenTheScreenCannotBeCopied) {
    child<QCheckBox>(*window, "Check淡入淡出").setChecked(true);
    child<QCheckBox>(*window, "Check重新录制").setChecked(true);
    child<QPushButton>(*window, "Command录制方式0").click();
    tick(3);
    capture.failing = true;
    child<QPushButton>(*window, "Command停止录制").click();
    tick(2);
    EXPECT_FALSE(only<RecordingPanel>(*window).recorder().recording);
    EXPECT_EQ(frameCountOf(fileOf(1)), 3);
    EXPECT_EQ(child<QPushButton>(*window, "Command停止录制").text(), QStringLiteral("停止录制"));
    EXPECT_TRUE(child<QPushButton>(*window, "Command停止录制").isEnabled());
}

TEST_F(Recording, AStopBeforeTheStartWasServedCallsTheStartOff) {
    for (const bool fade : {true, false}) {
        child<QCheckBox>(*window, "Check淡入淡出").setChecked(fade);
        child<QCheckBox>(*window, "Check重新录制").setChecked(true);
        child<QPushButton>(*window, "Command录制方式0").click();
        child<QPushButton>(*window, "Command停止录制").click(); // before the next tick
        child<QPushButton>(*window, "Command停止录制").click(); // and again with nothing recording
        EXPECT_TRUE(child<QPushButton>(*window, "Command停止录制").isEnabled()) << fade;
        EXPECT_EQ(child<QPushButton>(*window, "Command停止录制").text(), QStringLiteral("停止录制")) << fade;
        EXPECT_TRUE(child<QPushButton>(*window, "Command录制方式0").isEnabled()) << fade;
        tick(3);
        EXPECT_FALSE(only<RecordingPanel>(*window).recorder().recording) << fade;
        EXPECT_FALSE(only<RecordingPanel>(*window).liveOutput().recording) << fade;
        EXPECT_TRUE(fileOf(1).isEmpty()) << fade;
    }
}

TEST_F(Recording, TheEditorStaysShutWhileARecordingRunsOrIsBeingFinished) {
    const auto editorRefused = [&] {
        home.dialogs.shown.clear();
        window->CD建模_Click();
        return g_ModellingOpen == 0 && window->isVisible() && !home.dialogs.shown.isEmpty() &&
               home.dialogs.shown.back().text == QStringLiteral("正在录制，请先停止录制再建模。");
    };
    child<QCheckBox>(*window, "Check重新录制").setChecked(true);
    child<QPushButton>(*window, "Command录制方式0").click();
    EXPECT_TRUE(editorRefused()); // the start is pending
    tick(2);
    EXPECT_TRUE(editorRefused()); // recording
    child<QPushButton>(*window, "Command停止录制").click();
    EXPECT_TRUE(editorRefused()); // the stop is pending
    tick();
    EXPECT_EQ(frameCountOf(fileOf(1)), 2); // only the frames of the screen
    window->CD建模_Click();
    EXPECT_EQ(g_ModellingOpen, 1);
    window->modellingWindow()->close();
}

TEST_F(Recording, ClosingTheWindowFinishesTheRecordingFirst) {
    const struct {
        const char* name;
        bool stopPending;
    } cases[] = {{"recording", false}, {"stop pending behind a fade-out", true}};
    for (const auto& c : cases) {
        if (!window) window = kq::test::openMainWindow(capture);
        QFile::remove(frameFilePath(g_AppFolder, 1, 1));
        child<QCheckBox>(*window, "Check淡入淡出").setChecked(c.stopPending);
        child<QCheckBox>(*window, "Check重新录制").setChecked(true);
        child<QPushButton>(*window, "Command录制方式0").click();
        tick(4);
        if (c.stopPending) child<QPushButton>(*window, "Command停止录制").click();
        window->close();
        EXPECT_EQ(frameCountOf(fileOf(1)), 4) << c.name;
        EXPECT_EQ(frameCountOf(fileOf(2)), 4) << c.name;
        window.reset();
        g_ExitRequested = false;
        g_MainClosing = false;
    }
}

TEST(Recorder, FadeOutFrom255EndsAfter50FramesAndFadeInTakes51) {
    Recorder r;
    bool step = false;
    int level = 255;
    r.fadeOutRequest = true;
    int frames = 0;
    while (!r.advance(false, step, level))
        ++frames;
    EXPECT_EQ(frames + 1, 50);
    level = 0;
    int up = 1;
    while (level < 255) {
        r.advance(false, step, level);
        ++up;
    }
    EXPECT_EQ(up, 52); // 0, 5, ..., 255 are 52 levels: 51 frames before the full level
}

TEST(Recorder, ARecordingStopsWhenItsBufferIsFull) {
    Recorder r;
    bool step = false;
    int level = 255;
    r.frameCounter = kMaxRecordedFrames - 1;
    EXPECT_FALSE(r.advance(false, step, level));
    EXPECT_EQ(r.frameCounter, kMaxRecordedFrames);
    EXPECT_TRUE(r.advance(false, step, level)); // frame 3,703 was the last
    EXPECT_EQ(r.frameCounter, kMaxRecordedFrames);
}

TEST(Recorder, SimilaritySamplesAndPercentages) {
    std::vector<uint8_t> a, b;
    QByteArray big(5000 * 4, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i % 251);
    EXPECT_EQ(similaritySample(big, a), 18000); // E = 19,997: 18,001 values spread over it
    ASSERT_EQ(a.size(), 18001u);
    EXPECT_EQ(a[1], uint8_t(big[1]));       // 1 x 19,997 / 18,000 = 1.11
    EXPECT_EQ(a[9000], uint8_t(big[9998])); // 9,998.5 rounds to even
    EXPECT_EQ(a[18000], uint8_t(big[19997]));
    EXPECT_EQ(similaritySample(QByteArray(13, char(9)), b), 10);
    std::vector<uint8_t> ref = {10, 20, 30, 40}, cur = {20, 31, 40, 200};
    EXPECT_EQ(similarityPercent(ref, cur, 4, 10), 50); // 10 and 30 lie within ±10 of 20 and 40; 20 and 40 do not
    EXPECT_EQ(similarityPercent(ref, cur, 0, 10), 0);
}

} // namespace
