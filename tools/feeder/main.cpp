// kq510-feeder: plays image files into the recorder through the plug-in message protocol, as a plug-in
// program on this PC does, so that a show can be recorded from files without screen capture.
#include "core/command_line.h"
#include "core/settings_keys.h"
#include "feeder.h"
#include "link/link_settings.h"
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

namespace {

QString usage() {
    return QCoreApplication::translate(
               "kq", "用法：kq510-feeder [选项] SOURCE...\n"
                     "作为KQ-510工具的外挂程序，把图片放进它的录制：来源的每一帧都缩放到位置窗口的区域，\n"
                     "作为“0151”数据块和一条“0152”消息发送。只要图片不断到来，工具就用它们代替屏幕\n"
                     "（在它的 system.ini 中设置 %1=1）。\n"
                     "SOURCE：一个GIF动画（每一帧）、一个图片文件夹（按文件名）或图片文件。\n"
                     "  --fps N          每秒的图片数（默认 27.8，每36毫秒一张）\n"
                     "  --loop           最后一张之后重新开始\n"
                     "  --size WxH       位置窗口的区域，即模型的画布（默认 100x100）；录制接受\n"
                     "                   宽 x 高 x 4 <= 10000001 字节\n"
                     "  --to ADDR:PORT   工具收听的地址：%2:%3（默认 127.0.0.1:4799）\n"
                     "  --lang zh|en     输出的语言（否则按区域设置）\n"
                     "  -h, --help       本说明\n")
        .arg(kq::key::UsePlugin, kq::link::kKeyPluginListenAddress, kq::link::kKeyPluginListenPort);
}

void say(FILE* to, const QString& line) {
    std::fprintf(to, "%s\n", qPrintable(line));
}

int refuse(const QString& why) {
    say(stderr, QCoreApplication::translate("kq", "kq510-feeder：%1").arg(why));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Image readers only: no window is opened, so no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kq510-feeder"));
    // It plays into a tool that may run from any folder: --lang, else the locale.
    if (!kq::useCommandLineLanguage(QStringLiteral("kq510-feeder"), app.arguments(), {})) return 2;
    QCommandLineParser cli;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption fps(QStringLiteral("fps"), {}, QStringLiteral("N"), QStringLiteral("27.8"));
    const QCommandLineOption loop(QStringLiteral("loop"), {});
    const QCommandLineOption size(QStringLiteral("size"), {}, QStringLiteral("WxH"), QStringLiteral("100x100"));
    const QCommandLineOption to(QStringLiteral("to"), {}, QStringLiteral("ADDR:PORT"),
                                QStringLiteral("127.0.0.1:4799"));
    const QCommandLineOption lang(QStringLiteral("lang"), {}, QStringLiteral("zh|en"));
    cli.addOptions({help, fps, loop, size, to, lang});
    if (!cli.parse(app.arguments())) {
        refuse(kq::commandLineError(cli));
        std::fputs(qPrintable(usage()), stderr);
        return 2;
    }
    if (cli.isSet(help)) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }

    const QStringList sizeParts = cli.value(size).split(QLatin1Char('x'));
    const QSize area(sizeParts.value(0).toInt(), sizeParts.value(1).toInt());
    const QHostAddress address(cli.value(to).section(QLatin1Char(':'), 0, 0));
    const quint16 port = quint16(cli.value(to).section(QLatin1Char(':'), 1, 1).toUInt());
    const double rate = cli.value(fps).toDouble();
    if (area.width() < 1 || area.height() < 1 || address.isNull() || port == 0 || rate <= 0 || rate > 1000 ||
        cli.positionalArguments().isEmpty())
        return refuse(
            QCoreApplication::translate("kq", "请检查 --size、--to 和 --fps，并至少给出一个 SOURCE（见 --help）"));
    if (!feeder::fitsRecorder(area)) {
        const int w = area.width(), largest = feeder::largestHeight(w);
        const QString hint = largest > 0
                                 ? QCoreApplication::translate("kq", "宽度为%1时最大是 %1x%2").arg(w).arg(largest)
                                 : QCoreApplication::translate("kq", "宽度为%1时没有合适的高度").arg(w);
        return refuse(QCoreApplication::translate("kq", "--size %1x%2 被拒绝：它有%3字节的像素，而录制接受"
                                                        "宽 x 高 x 4 <= %4；%5")
                          .arg(w)
                          .arg(area.height())
                          .arg(qlonglong(w) * area.height() * 4)
                          .arg(kq::link::kPluginImageBytes)
                          .arg(hint));
    }
    if (!kq::link::destinationAllowed(address))
        return refuse(
            QCoreApplication::translate("kq", "KQ510_LOOPBACK_ONLY=1：没有发送任何东西到 %1").arg(address.toString()));
    QStringList problems;
    const QList<QImage> pictures = feeder::loadPictures(cli.positionalArguments(), problems);
    for (const QString& p : problems)
        say(stderr, QCoreApplication::translate("kq", "kq510-feeder：无法读取 %1").arg(p));
    if (pictures.isEmpty()) return 1;
    say(stdout,
        (cli.isSet(loop) ? QCoreApplication::translate("kq", "%1张图片，%2x%3，每秒%4张，发送到 %5:%6，循环播放")
                         : QCoreApplication::translate("kq", "%1张图片，%2x%3，每秒%4张，发送到 %5:%6"))
            .arg(pictures.size())
            .arg(area.width())
            .arg(area.height())
            .arg(rate, 0, 'f', 1)
            .arg(address.toString())
            .arg(port));
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
            say(stderr,
                QCoreApplication::translate("kq", "kq510-feeder：有一条消息没有发送：%1").arg(socket.errorString()));
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
    say(stdout, played > sent
                    ? QCoreApplication::translate("kq", "已发送%1张图片，%2张没有完整发送").arg(sent).arg(played - sent)
                    : QCoreApplication::translate("kq", "已发送%1张图片").arg(sent));
    return 0;
}
