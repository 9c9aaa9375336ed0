// kq510-feeder: plays image files into the recorder through the plug-in message protocol, as a plug-in
// program on this PC does, so that a show can be recorded from files without screen capture.
#include "feeder.h"
#include "link/plugin_protocol.h"
#include "link/socket_master.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>
#include <cstdio>
#include <utility>

int main(int argc, char** argv) {
    // Image readers only: no window is opened, so no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kq510-feeder"));
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral(
        "Plays pictures into the KQ-510 tool's recorder as its plug-in program: every frame of the sources is\n"
        "scaled to the position window's area and sent as \"0151\" chunks and a \"0152\" message. The tool uses\n"
        "them instead of the screen while they keep coming (set 使用外挂程序=1 in its system.ini).\n"
        "SOURCE: an animated GIF (every frame), a folder of images (by name), or image files."));
    cli.addHelpOption();
    cli.addPositionalArgument(QStringLiteral("SOURCE"), QStringLiteral("pictures to play"),
                              QStringLiteral("SOURCE..."));
    const QCommandLineOption fps(QStringLiteral("fps"),
                                 QStringLiteral("pictures per second (default 27.8, one per 36 ms)"),
                                 QStringLiteral("N"), QStringLiteral("27.8"));
    const QCommandLineOption loop(QStringLiteral("loop"), QStringLiteral("start again after the last picture"));
    const QCommandLineOption size(
        QStringLiteral("size"),
        QStringLiteral("the position window's area, the model's canvas (default 100x100); the recorder\n"
                       "takes width x height x 4 <= 10000001 bytes"),
        QStringLiteral("WxH"), QStringLiteral("100x100"));
    const QCommandLineOption to(
        QStringLiteral("to"),
        QStringLiteral("where the tool listens: 外挂接收地址:外挂接收端口 (default 127.0.0.1:4799)"),
        QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:4799"));
    cli.addOptions({fps, loop, size, to});
    cli.process(app);

    const QStringList sizeParts = cli.value(size).split(QLatin1Char('x'));
    const QSize area(sizeParts.value(0).toInt(), sizeParts.value(1).toInt());
    const QHostAddress address(cli.value(to).section(QLatin1Char(':'), 0, 0));
    const quint16 port = quint16(cli.value(to).section(QLatin1Char(':'), 1, 1).toUInt());
    const double rate = cli.value(fps).toDouble();
    if (area.width() < 1 || area.height() < 1 || address.isNull() || port == 0 || rate <= 0 || rate > 1000 ||
        cli.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "kq510-feeder: check --size, --to, --fps and give at least one SOURCE (see --help)\n");
        return 2;
    }
    if (!feeder::fitsRecorder(area)) {
        const int w = area.width(), largest = feeder::largestHeight(w);
        const QString hint = largest > 0 ? QStringLiteral("at width %1 the largest is %1x%2").arg(w).arg(largest)
                                         : QStringLiteral("no height fits width %1").arg(w);
        std::fprintf(stderr,
                     "kq510-feeder: --size %dx%d refused: it has %lld bytes of pixels, and the recorder takes "
                     "width x height x 4 <= %d; %s\n",
                     w, area.height(), qlonglong(w) * area.height() * 4, kq::link::kPluginImageBytes, qPrintable(hint));
        return 2;
    }
    if (!kq::link::destinationAllowed(address)) {
        std::fprintf(stderr, "kq510-feeder: KQ510_LOOPBACK_ONLY=1: nothing is sent to %s\n",
                     qPrintable(address.toString()));
        return 2;
    }
    QStringList problems;
    const QList<QImage> pictures = feeder::loadPictures(cli.positionalArguments(), problems);
    for (const QString& p : problems)
        std::fprintf(stderr, "kq510-feeder: cannot read %s\n", qPrintable(p));
    if (pictures.isEmpty()) return 1;
    std::printf("%lld pictures, %dx%d, %.1f per second to %s:%u%s\n", qlonglong(pictures.size()), area.width(),
                area.height(), rate, qPrintable(address.toString()), port, cli.isSet(loop) ? ", looping" : "");
    std::fflush(stdout);

    QUdpSocket socket;
    QElapsedTimer clock;
    clock.start();
    const double periodMs = 1000.0 / rate;
    qint64 played = 0, sent = 0;
    bool failureShown = false;
    const auto sendOne = [&](const QByteArray& message) {
        const bool ok = socket.writeDatagram(message, address, port) == message.size();
        if (!ok && !std::exchange(failureShown, true))
            std::fprintf(stderr, "kq510-feeder: a message was not sent: %s\n", qPrintable(socket.errorString()));
        // A short pause between chunks, so that a large picture does not overrun the receiver's
        // socket buffer in one burst.
        QThread::usleep(500);
        return ok;
    };
    do {
        for (const QImage& picture : pictures) {
            // Only pictures sent whole count: the recorder drops the others.
            if (feeder::sendWhole(feeder::pictureMessages(picture, area), sendOne)) ++sent;
            ++played;
            const qint64 due = qint64(played * periodMs);
            if (const qint64 wait = due - clock.elapsed(); wait > 0) QThread::msleep(quint64(wait));
        }
    } while (cli.isSet(loop));
    std::printf("%lld pictures sent", qlonglong(sent));
    if (played > sent) std::printf(", %lld not sent whole", qlonglong(played - sent));
    std::printf("\n");
    return 0;
}
