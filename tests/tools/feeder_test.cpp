// kq510-feeder: the messages it makes of a picture, what it reads, and the program against a socket.
#include "core/shared_state.h"
#include "feeder/feeder.h"
#include "link/plugin_protocol.h"

#include <QFile>
#include <QImage>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace {

QImage stripes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(10 * x, 20 * y, 200));
    return image;
}

TEST(Feeder, APictureBecomesChunksTheRecorderAssembles) {
    const QList<QByteArray> messages = feeder::pictureMessages(stripes(4, 2), QSize(4, 2));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].left(18), QByteArray("KQ-510>>\x01\x51", 10) + QByteArray::fromHex("00000000 00000020"));
    EXPECT_EQ(messages[1], QByteArray("KQ-510>>\x01\x52", 10) + QByteArray::fromHex("00000020 00000004 00000002"));
    g_PluginCountdown = 0;
    kq::link::PluginPictures pictures;
    for (int i = 0; i < kq::link::kPluginWarmUp; ++i)
        for (const QByteArray& m : messages)
            pictures.receive(m);
    ASSERT_TRUE(pictures.hasPicture());
    QByteArray expected; // blue, green, red, unused per pixel
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            expected += QByteArray(1, char(200)) + char(20 * y) + char(10 * x) + char(0xFF);
    EXPECT_EQ(pictures.pixels(), expected);
    g_PluginCountdown = 0;

    // Scaled to the area, in chunks of at most 50,000 bytes: 300 x 200 x 4 = 240,000 bytes.
    const QList<QByteArray> big = feeder::pictureMessages(stripes(30, 20), QSize(300, 200));
    EXPECT_EQ(big.size(), 6);
    EXPECT_EQ(big.last().mid(10), QByteArray::fromHex("0003A980 0000012C 000000C8"));
}

TEST(Feeder, TakesOnlySizesTheRecorderTakes) {
    const struct {
        int width, height;
        bool fits;
    } sizes[] = {
        {2500, 1000, true},    {2500, 1001, false}, {1700, 1470, true},    {1700, 1471, false},
        {1700, 1600, false},   {1, 2500000, true},  {1, 2500001, false},   {2500001, 1, false},
        {0, 100, false},       {100, -1, false},    {65536, 65536, false}, // 65536 x 65536 wraps to 0 in 32 bits
        {46341, 46341, false},                                             // past 2^31 in 32 bits
    };
    for (const auto& s : sizes)
        EXPECT_EQ(feeder::fitsRecorder(QSize(s.width, s.height)), s.fits) << s.width << "x" << s.height;
    EXPECT_EQ(feeder::largestHeight(1700), 1470);
    EXPECT_EQ(feeder::largestHeight(2500000), 1);
    EXPECT_EQ(feeder::largestHeight(2500001), 0);

    // The program refuses a size past it, sends nothing and names the largest at that width.
    QTemporaryDir dir;
    ASSERT_TRUE(stripes(4, 4).save(dir.filePath("a.png")));
    QUdpSocket recorder;
    ASSERT_TRUE(recorder.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QProcess p;
    p.start(QStringLiteral(KQ510_FEEDER),
            {"--size", "1700x1600", "--to", QStringLiteral("127.0.0.1:%1").arg(recorder.localPort()), dir.path()});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString error = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(error.contains("1700x1600") && error.contains("10000001") && error.contains("1700x1470"))
        << error.toStdString();
    EXPECT_FALSE(recorder.hasPendingDatagrams()); // a send on loopback is there by the time it returns
}

TEST(Feeder, APictureCountsAsSentOnlyWhenAllItsMessagesWent) {
    const QList<QByteArray> messages = feeder::pictureMessages(stripes(30, 20), QSize(300, 200));
    ASSERT_EQ(messages.size(), 6); // 5 chunks and the "0152"
    const struct {
        const char* name;
        int failing; // index of the message whose send fails, -1 for none
        bool whole;
        int tried;
    } cases[] = {
        {"every message went", -1, true, 6},
        {"the first chunk failed", 0, false, 1},
        {"a chunk in the middle failed", 2, false, 3},
        {"the \"0152\" failed", 5, false, 6},
    };
    for (const auto& c : cases) {
        QList<QByteArray> tried;
        const bool whole = feeder::sendWhole(messages, [&](const QByteArray& m) {
            tried << m;
            return tried.size() - 1 != c.failing;
        });
        EXPECT_EQ(whole, c.whole) << c.name;
        EXPECT_EQ(tried, messages.first(c.tried)) << c.name;
    }
}

TEST(Feeder, ReadsFoldersInNameOrderAndNamesWhatItCannotRead) {
    QTemporaryDir dir;
    for (int i : {2, 1, 3})
        ASSERT_TRUE(stripes(i, 1).save(dir.filePath(QStringLiteral("f%1.png").arg(i))));
    QFile bad(dir.filePath("notes.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    QStringList problems;
    const QList<QImage> pictures = feeder::loadPictures({dir.path()}, problems);
    ASSERT_EQ(pictures.size(), 3);
    EXPECT_EQ(pictures[0].width(), 1);
    EXPECT_EQ(pictures[2].width(), 3);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains("notes.txt"));
}

TEST(Feeder, TheProgramSendsEachPictureToTheRecordersPort) {
    QTemporaryDir dir;
    ASSERT_TRUE(stripes(4, 4).save(dir.filePath("a.png")));
    ASSERT_TRUE(stripes(4, 4).save(dir.filePath("b.png")));
    QUdpSocket recorder;
    ASSERT_TRUE(recorder.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QProcess p;
    p.start(QStringLiteral(KQ510_FEEDER), {"--size", "8x2", "--fps", "100", "--to",
                                           QStringLiteral("127.0.0.1:%1").arg(recorder.localPort()), dir.path()});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    int done = 0;
    while (recorder.waitForReadyRead(200) || recorder.hasPendingDatagrams())
        while (recorder.hasPendingDatagrams())
            done += kq::link::Fun_MsgCode(recorder.receiveDatagram().data()) == QLatin1String("0152");
    EXPECT_EQ(done, 2);
    QProcess refused;
    refused.start(QStringLiteral(KQ510_FEEDER), {"--to", "192.168.1.201:4799", dir.path()});
    ASSERT_TRUE(refused.waitForFinished(20000));
    EXPECT_EQ(refused.exitCode(), 2); // the test runs with KQ510_LOOPBACK_ONLY=1
}

} // namespace
