#include "core/shared_state.h"
#include "model/model_file.h"
#include "show/inspect.h"
#include "show/playback_file.h"
#include "show/show_cli.h"
#include "support/cli_run.h"
#include "support/fakes.h"
#include "support/in_language.h"
#include "support/show_files.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using namespace kq::show;

using kq::test::capture;
using kq::test::CliRun;

// The commands' words are asserted in English.
class ShowCommandLine : public testing::Test {
    kq::test::InLanguage english{kq::Language::English};
};

TEST_F(ShowCommandLine, BuildsEveryMachineAndInspectsWhatItBuilt) {
    kq::test::TempHome home;
    kq::test::writeFrameFile(g_AppFolder, 2, 1, RecordingMode::Rgb,
                             {kq::test::patternedImage(1), kq::test::chaseImage()});
    kq::test::writeFrameFile(g_AppFolder, 2, 4, RecordingMode::Red, {kq::test::patternedImage(2)});
    const CliRun build = capture([] { return runBuild({}); });
    EXPECT_EQ(build.status, 0) << build.err;
    EXPECT_NE(build.out.find("machine  2: "), std::string::npos) << build.out;
    EXPECT_NE(build.out.find("2 materials"), std::string::npos) << build.out;
    EXPECT_NE(build.out.find("machine  1: no recorded frames"), std::string::npos) << build.out;

    const QString playback = playbackFilePath(g_AppFolder, 2);
    const CliRun inspect = capture([&] { return runInspect({playback}); });
    EXPECT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("material 1: 2 frames, recorded RGB, block at 4096"), std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find("material 4: 1 frames, recorded red only"), std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find(" Xulie:KQ510-02 Version:KQ-510 V1.8"), std::string::npos) << inspect.out;

    const CliRun frames = capture([&] { return runInspect({frameFilePath(g_AppFolder, 2, 1)}); });
    EXPECT_EQ(frames.status, 0) << frames.err;
    EXPECT_NE(frames.out.find("2 frames, recorded RGB"), std::string::npos) << frames.out;

    EXPECT_EQ(capture([] { return runBuild({"--material", "0"}); }).status, 2);
}

TEST_F(ShowCommandLine, BuildLeavesDamagedFrameFilesOutAndNamesThem) {
    kq::test::TempHome home;
    kq::test::writeFrameFile(g_AppFolder, 2, 1, RecordingMode::Rgb, {kq::test::patternedImage(1)});
    // Eight bytes that claim 65,535 frames, and a file whose second frame is cut off.
    const QString claims = frameFilePath(g_AppFolder, 2, 3);
    kq::writeFileAtomically(claims, QByteArray::fromHex("17081588 0400 FFFF"));
    kq::test::writeFrameFile(g_AppFolder, 3, 2, RecordingMode::Rgb,
                             {kq::test::patternedImage(1), kq::test::patternedImage(2)});
    const QString cut = frameFilePath(g_AppFolder, 3, 2);
    kq::writeFileAtomically(cut, kq::readWholeFile(cut).value().left(slotOffset(2) + 5));

    const CliRun build = capture([] { return runBuild({}); });
    EXPECT_EQ(build.status, 1);
    EXPECT_NE(build.err.find("machine  2: damaged, left out: " + claims.toStdString() +
                             ": the file is shorter than its 1,024-byte header"),
              std::string::npos)
        << build.err;
    EXPECT_NE(build.err.find(cut.toStdString() + ": frame 2 of 2 is missing"), std::string::npos) << build.err;
    EXPECT_NE(build.out.find("ID-02.KQ4, "), std::string::npos) << build.out;
    EXPECT_NE(build.out.find("bytes, 1 materials"), std::string::npos) << build.out;
    EXPECT_NE(build.out.find("bytes, 0 materials"), std::string::npos) << build.out; // machine 3
    EXPECT_EQ(build.out.find("-1"), std::string::npos) << build.out;
    const Inspection two = inspectPlaybackFile(kq::readWholeFile(playbackFilePath(g_AppFolder, 2)).value());
    EXPECT_TRUE(two.ok()) << two.problem.toStdString();
    EXPECT_LT(QFileInfo(playbackFilePath(g_AppFolder, 2)).size(), 20000);
}

TEST_F(ShowCommandLine, DamagedFilesAreNamedAndFail) {
    kq::test::TempHome home;
    kq::test::writeFrameFile(g_AppFolder, 1, 1, RecordingMode::Rgb,
                             {kq::test::patternedImage(1), kq::test::patternedImage(2)});
    const QByteArray frames = kq::readWholeFile(frameFilePath(g_AppFolder, 1, 1)).value();
    ASSERT_TRUE(Fun_BuildPlaybackFile(1, 0));
    const QByteArray playback = kq::readWholeFile(playbackFilePath(g_AppFolder, 1)).value();
    auto models = std::make_unique<ModelStore>();
    const QByteArray model = kq::model::encodeModelFile(*models);

    struct Case {
        const char* name;
        QByteArray bytes;
        const char* problem;
    };
    QByteArray badRun = frames;
    badRun[slotOffset(1) + 20] = char(254);
    badRun[slotOffset(1) + 21] = char(251);
    QByteArray badTable = playback;
    badTable[4096 + 1024 + 3] = char(badTable[4096 + 1024 + 3] + 1);
    QByteArray badInfo = playback;
    badInfo[badInfo.size() - 1] = 'G';
    const Case cases[] = {
        {"frame file cut short", frames.left(slotOffset(2) + 10), "frame 2 of 2 is missing"},
        {"run of 251", badRun, "a run of 251 zeros"},
        {"model cut short", model.left(5000), "ends before its models"},
        {"frame table off by one", badTable, "frame table points elsewhere"},
        {"information block not hex", badInfo, "not its bytes in hex"},
        {"playback without directory", playback.left(100), "shorter than its directory"},
        {"unknown file", QByteArray("hello"), "not a model, template, frame or playback file"},
    };
    for (const auto& c : cases) {
        const Inspection r = inspectFile(c.bytes);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_TRUE(r.problem.contains(c.problem)) << c.name << ": " << r.problem.toStdString();
    }
    EXPECT_TRUE(inspectFile(model).ok());
    EXPECT_TRUE(inspectFile(frames).ok());
    EXPECT_TRUE(inspectFile(playback).ok());

    QFile f(home.path("cut.KQ3"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(frames.left(2000));
    f.close();
    const CliRun run = capture([&] { return runInspect({home.path("cut.KQ3")}); });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("damaged frame file: frame 1 is cut short"), std::string::npos) << run.err;
    EXPECT_EQ(capture([&] { return runInspect({home.path("nothing")}); }).status, 2);
}

} // namespace
