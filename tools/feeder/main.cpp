// kq510-feeder: plays image files into the recorder through the plug-in message protocol, as a plug-in
// program on this PC does, so that a show can be recorded from files without screen capture.
#include "feeder.h"
#include "link/socket_master.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>
#include <cstdio>

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
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("the position window's area, the model's canvas (default 100x100)"),
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
    qint64 sent = 0;
    do {
        for (const QImage& picture : pictures) {
            // A short pause between chunks, so that a large picture does not overrun the receiver's
            // socket buffer in one burst.
            for (const QByteArray& message : feeder::pictureMessages(picture, area)) {
                socket.writeDatagram(message, address, port);
                QThread::usleep(500);
            }
            ++sent;
            const qint64 due = qint64(sent * periodMs);
            if (const qint64 wait = due - clock.elapsed(); wait > 0) QThread::msleep(quint64(wait));
        }
    } while (cli.isSet(loop));
    std::printf("%lld pictures sent\n", qlonglong(sent));
    return 0;
}
