#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/controller_settings.h"
#include "model/model_data.h"
#include "model/model_file.h"
#include "show/frame_store.h"
#include "show/fseq.h"
#include "show/fseq_show.h"
#include "show/show_cli.h"
#include "support/cli_run.h"
#include "support/fakes.h"
#include "support/in_language.h"
#include "support/show_files.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace kq::show;
using kq::link::ControllerKind;
using kq::link::ControllerTable;
using kq::link::defaultOpenSetting;
using kq::test::capture;
using kq::test::CliRun;

TEST(FseqChannels, EveryPortHasItsChannelsAsAPlayerNumbersThem) {
    ControllerTable t;
    t.machine[3] = defaultOpenSetting(ControllerKind::E131, 3);   // universe 61 of 510
    t.machine[4] = defaultOpenSetting(ControllerKind::ArtNet, 4); // port-address 90
    t.machine[4].channelsPerUniverse = 512;
    t.machine[4].colourOrder = 3;
    t.machine[5] = defaultOpenSetting(ControllerKind::Ddp, 5);
    t.machine[5].ddpOffset = 61200;
    t.machine[5].pixelsPerPort = 100;
    t.machine[6].startChannel = 200001;
    const std::vector<PortChannels> map = channelMap(t);
    ASSERT_EQ(map.size(), 60u);
    const auto at = [&](int m, int p) { return map[size_t((m - 1) * 6 + p - 1)]; };
    const struct {
        int machine, port;
        quint32 first;
        int pixels, order;
    } cases[] = {
        {1, 1, 0, 750, 1},        {1, 6, 11250, 750, 1},    {2, 1, 13500, 750, 1},
        {3, 1, 60 * 510, 750, 1}, {3, 2, 65 * 510, 750, 1}, // five universes a port
        {4, 1, 90 * 512, 750, 3}, {4, 2, 95 * 512, 750, 3}, {5, 1, 61200, 100, 1},
        {5, 2, 61500, 100, 1},    {6, 1, 200000, 750, 1},   {10, 6, 9 * 13500 + 11250, 750, 1},
    };
    for (const auto& c : cases) {
        const PortChannels p = at(c.machine, c.port);
        EXPECT_EQ(p.first, c.first) << c.machine << ":" << c.port;
        EXPECT_EQ(p.pixels, c.pixels) << c.machine << ":" << c.port;
        EXPECT_EQ(p.colourOrder, c.order) << c.machine << ":" << c.port;
    }
    // No two numbers share a channel, until one is given another's.
    EXPECT_EQ(channelMapProblem(channelMap(ControllerTable{})), QString());
    EXPECT_EQ(channelMapProblem(channelMap(t)), QString());
    t.machine[7].startChannel = 14501; // into machine 2's
    EXPECT_EQ(channelMapProblem(channelMap(t)), QStringLiteral("机器2和机器7的通道重叠：13501到15750与14501到16750"));
    t.machine[7].startChannel = (1 << 24) - 100;
    EXPECT_EQ(channelMapProblem(channelMap(t)), QStringLiteral("机器7的端口1超出序列文件的16777216个通道"));
}

class FseqShow : public testing::Test {
protected:
    void SetUp() override {
        // Machine 1 of the family, machine 3 an E1.31 controller wanting GRB.
        Fun_WriteIni(g_IniPath, "控制器类型03", "e131");
        Fun_WriteIni(g_IniPath, "控制器颜色03", "3");
        store = std::make_unique<ModelStore>();
        store->materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 749, 0);
        store->materials[1][2] = makeMaterial(1, 2, 1, kShapeHorizontal, 0, 1, 99, 1);
        store->materials[1][3] = makeMaterial(3, 1, 1, kShapeHorizontal, 0, 2, 199, 2);
        store->materials[1][4] = makeMaterial(3, 6, 700, kShapeHorizontal, 0, 3, 49, 3);
        kq::writeFileAtomically(g_AppFolder + QStringLiteral("/模型.mx20"), kq::model::encodeModelFile(*store));
        // Recorded levels on the used ports only, as recording leaves the others dark.
        for (int m : {1, 3}) {
            std::vector<FrameImage> images;
            for (int k = 0; k < 12; ++k) {
                FrameImage image = kq::test::patternedImage(k + m);
                for (int p = 1; p <= 6; ++p)
                    if (!used(m, p)) std::fill_n(image.begin() + kFrameHeaderBytes + Fun_PortOffset(p), 2250, 0);
                packFrame(image); // quantised in place, as the machines get them
                images.push_back(image);
            }
            kq::test::writeFrameFile(g_AppFolder, m, 1, RecordingMode::Rgb, images);
        }
    }
    bool used(int m, int p) const {
        for (int i = 1; i <= 4; ++i)
            if (store->materials[1][i].Machine == m && store->materials[1][i].Port == p) return true;
        return false;
    }
    static QByteArray fileOf(int machine, int material) {
        return kq::readWholeFile(frameFilePath(g_AppFolder, machine, material)).value_or(QByteArray());
    }

    kq::test::TempHome home;
    std::unique_ptr<ModelStore> store;
};

TEST_F(FseqShow, ARecordedShowComesBackFromItsSequenceFileByteForByte) {
    const kq::test::InLanguage english(kq::Language::English);
    for (const char* compression : {"zstd", "zlib", "none"}) {
        SCOPED_TRACE(compression);
        const QString out = home.path(QStringLiteral("show-%1.fseq").arg(compression));
        const CliRun exported = capture([&] {
            return runFseq({"--material", "1", "--out", out, "--compression", compression});
        });
        ASSERT_EQ(exported.status, 0) << exported.err;
        // Only the ports the model uses: machine 1's ports 1 and 2 in one range, machine 3's 1 and 6.
        const QByteArray bytes = kq::readWholeFile(out).value_or(QByteArray());
        FseqReader reader;
        ASSERT_TRUE(reader.open(QByteArrayView(bytes))) << reader.error().toStdString();
        EXPECT_EQ(reader.info().frameCount, 12u);
        EXPECT_EQ(reader.info().stepMs, 36);
        EXPECT_EQ(reader.info().producer(), "KQ-510 V1.8");
        const QList<FseqRange> ranges{{0, 4500}, {30600, 2250}, {30600 + 5 * 2550, 2250}};
        EXPECT_EQ(reader.info().ranges, ranges);
        // Machine 3's first pixel in its own colour order: green, red, blue.
        const QByteArray frame0 = reader.frame(0)->toByteArray();
        const QByteArray recorded = fileOf(3, 1);
        FrameImage image;
        unpackFrame(slotPackedData(QByteArrayView(recorded).sliced(slotOffset(1))), image);
        EXPECT_EQ(uint8_t(frame0[4500]), image[kFrameHeaderBytes + 750]);
        EXPECT_EQ(uint8_t(frame0[4501]), image[kFrameHeaderBytes]);
        EXPECT_EQ(uint8_t(frame0[4502]), image[kFrameHeaderBytes + 1500]);

        const CliRun imported = capture([&] { return runFromFseq({"--in", out, "--material", "7"}); });
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_NE(imported.out.find("show 7: 12 frames, frame period 36 ms, machines 1,3"), std::string::npos)
            << imported.out;
        for (int m : {1, 3})
            EXPECT_EQ(fileOf(m, 7), fileOf(m, 1)) << m;
        QFile::remove(frameFilePath(g_AppFolder, 1, 7));
        QFile::remove(frameFilePath(g_AppFolder, 3, 7));
    }
}

TEST_F(FseqShow, AnImportTellsWhatItCannotTakeAndWritesNothingThen) {
    const kq::test::InLanguage english(kq::Language::English);
    const auto sequence = [&](const QString& name, int stepMs, QList<FseqRange> ranges, quint32 frames) {
        FseqWriteOptions o;
        o.ranges = ranges;
        o.frameCount = frames;
        o.stepMs = stepMs;
        o.compression = FseqCompression::None;
        QFile f(home.path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        QString error;
        EXPECT_TRUE(writeFseqFile(
            f, o, [](quint32 k, QByteArray& channels) { channels.fill(char(k * 10 + 8)); }, &error))
            << error.toStdString();
        return home.path(name);
    };
    // 20 ms is no frame period the machines take; resampled to 40 ms, every second frame.
    const QString fast = sequence("fast.fseq", 20, {{0, 2250}}, 10);
    const CliRun refused = capture([&] { return runFromFseq({"--in", fast, "--material", "9"}); });
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("step time of 20 ms"), std::string::npos) << refused.err;
    EXPECT_FALSE(QFile::exists(frameFilePath(g_AppFolder, 1, 9)));
    const CliRun resampled = capture([&] { return runFromFseq({"--in", fast, "--material", "9", "--period", "40"}); });
    ASSERT_EQ(resampled.status, 0) << resampled.err;
    EXPECT_NE(resampled.out.find("show 9: 5 frames, frame period 40 ms, machines 1"), std::string::npos)
        << resampled.out;
    const QByteArray file = fileOf(1, 9);
    EXPECT_EQ(frameCountOf(file), 5);
    FrameImage second;
    unpackFrame(slotPackedData(QByteArrayView(file).sliced(slotOffset(2))), second);
    EXPECT_EQ(second[kFrameHeaderBytes], Fun_QuantizeLevel(2 * 10 + 8)); // the file's frame 2, at 40 ms
    // A show that is there already is replaced only when asked.
    const CliRun again = capture([&] { return runFromFseq({"--in", fast, "--material", "9", "--period", "40"}); });
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
    // Channels beyond every machine number's are counted and said.
    const QString wide = sequence("wide.fseq", 50, {{0, 100}, {5000000, 300}}, 2);
    const CliRun counted = capture([&] { return runFromFseq({"--in", wide, "--material", "10"}); });
    ASSERT_EQ(counted.status, 0) << counted.err;
    EXPECT_NE(counted.out.find("300 channels belong to no machine"), std::string::npos) << counted.out;
    // A damaged file is named and nothing is written.
    QByteArray cut = kq::readWholeFile(wide).value_or(QByteArray());
    cut.chop(50);
    kq::writeFileAtomically(home.path("cut.fseq"), cut);
    const CliRun damaged = capture([&] { return runFromFseq({"--in", home.path("cut.fseq"), "--material", "11"}); });
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("cut.fseq: "), std::string::npos) << damaged.err;
    EXPECT_FALSE(QFile::exists(frameFilePath(g_AppFolder, 1, 11)));
    // Wrong arguments.
    for (const QStringList& args :
         {QStringList{"--material", "1"}, QStringList{"--in", fast}, QStringList{"--in", fast, "--material", "51"},
          QStringList{"--in", fast, "--material", "1", "--period", "20"}}) {
        const CliRun r = capture([&] { return runFromFseq(args); });
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    }
}

} // namespace
