// kq510-machines: plays machines 1..10 on loopback for development, tests and demonstrations.
#include "core/command_line.h"
#include "stand_in_machines.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QTimer>
#include <cstdio>

namespace {

bool parseMachines(const QString& text, QList<int>& out) {
    out.clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList range = part.split(QLatin1Char('-'));
        bool ok1 = false, ok2 = false;
        const int from = range.value(0).toInt(&ok1);
        const int to = range.size() > 1 ? range[1].toInt(&ok2) : from;
        if (!ok1 || (range.size() > 1 && !ok2) || range.size() > 2 || from < 1 || to > 10 || from > to) return false;
        for (int k = from; k <= to; ++k)
            if (!out.contains(k)) out << k;
    }
    return !out.isEmpty();
}

bool parseDrops(const QStringList& drops, std::map<uint16_t, QList<int>>& out) {
    for (const QString& dropSpec : drops) {
        const QStringList parts = dropSpec.split(QLatin1Char(':'));
        bool ok1 = false, ok2 = false;
        const uint code = parts.value(0).toUInt(&ok1, 16);
        const int nth = parts.value(1).toInt(&ok2);
        if (parts.size() != 2 || !ok1 || !ok2 || code > 0xFFFF || nth < 1) return false;
        out[uint16_t(code)] << nth;
    }
    return true;
}

// "K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]]": machine number K played as an open controller.
bool parseController(const QString& given, std::map<int, standin::OpenLayout>& out) {
    const qsizetype eq = given.indexOf(QLatin1Char('='));
    bool ok = false;
    const int k = given.left(eq).toInt(&ok);
    if (eq < 1 || !ok || k < 1 || k > 10) return false;
    const QStringList parts = given.mid(eq + 1).split(QLatin1Char(':'));
    standin::OpenLayout l;
    const QString protocol = parts.value(0).toLower();
    if (protocol == QLatin1String("e131"))
        l.protocol = standin::OpenProtocol::E131;
    else if (protocol == QLatin1String("artnet"))
        l.protocol = standin::OpenProtocol::ArtNet;
    else if (protocol == QLatin1String("ddp"))
        l.protocol = standin::OpenProtocol::Ddp;
    else
        return false;
    const auto number = [&](int i, long long min, long long max, long long fallback) -> std::optional<long long> {
        if (parts.size() <= i || parts[i].isEmpty()) return fallback;
        bool good = false;
        const long long v = parts[i].toLongLong(&good);
        return good && v >= min && v <= max ? std::optional(v) : std::nullopt;
    };
    const auto start = number(1, 0, 0xFFFFFFFFLL, l.protocol == standin::OpenProtocol::E131 ? 1 : 0);
    const auto channels = number(2, 510, 512, 510);
    const auto pixels = number(3, 1, 750, 750);
    const auto order = number(4, 1, 6, 1);
    if (!start || !channels || *channels == 511 || !pixels || !order) return false;
    if (l.protocol == standin::OpenProtocol::Ddp)
        l.ddpOffset = uint32_t(*start);
    else
        l.firstUniverse = int(std::min<long long>(*start, 63999));
    l.channelsPerUniverse = int(*channels);
    l.pixelsPerPort = int(*pixels);
    l.colourOrder = int(*order);
    out[k] = l;
    return true;
}

// The log: the machines' lines and the start line ("machines ... at ...") read the same in every
// language, because tests read the log and scripts wait for the start line in it.
void say(const QString& line) {
    std::printf("%s %s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))), qPrintable(line));
    std::fflush(stdout);
}

QString usage() {
    return QCoreApplication::translate(
        "kq", "用法：kq510-machines [选项]\n"
              "在本机回环地址上模拟KQ-510机器：机器k在 BASE + k 收听，命令帧发到广播地址，回复发回发送方。\n"
              "  --machines LIST      回应的机器，例如 1-10 或 1,3,5（默认 1-10）\n"
              "  --base ADDRESS       机器k在这个地址 + k 收听（默认 127.0.1.200）\n"
              "  --broadcast ADDRESS  程序发送命令帧的地址（默认 127.0.1.255）\n"
              "  --port PORT          命令端口（默认 4800）\n"
              "  --latency MS         每个回复之前等待的毫秒数（默认 0）\n"
              "  --loss RATE          机器忽略一帧的概率，0到1（默认 0）\n"
              "  --drop CODE:N        每台机器忽略命令CODE的第N帧，例如 80B1:3（可以重复）\n"
              "  --state DIR          机器的SD卡、固件和实时画面的文件夹（默认 kq510-machines-state）\n"
              "  --controller K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]]\n"
              "                       把机器编号K模拟成开放协议控制器（e131、artnet 或 ddp），在 BASE + k\n"
              "                       的协议端口收听：START 是端口1的域、端口地址或DDP偏移，CHANNELS 是每域\n"
              "                       通道（510或512），PIXELS 是每端口像素，ORDER 是颜色顺序1到6（可以重复）\n"
              "  --lang zh|en         说明和错误的语言（否则按区域设置）；日志总是同样的文字\n"
              "  -h, --help           本说明\n");
}

int refuse(const QString& why) {
    std::fprintf(stderr, "%s\n%s", qPrintable(QCoreApplication::translate("kq", "kq510-machines：%1").arg(why)),
                 qPrintable(usage()));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kq510-machines"));
    // No application folder of its own: --lang, else the locale.
    if (!kq::useCommandLineLanguage(QStringLiteral("kq510-machines"), app.arguments(), {})) return 2;
    QCommandLineParser parser;
    const QCommandLineOption helpOpt(QStringList{QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption machinesOpt(QStringLiteral("machines"), {}, QStringLiteral("list"),
                                         QStringLiteral("1-10"));
    const QCommandLineOption baseOpt(QStringLiteral("base"), {}, QStringLiteral("address"),
                                     QStringLiteral("127.0.1.200"));
    const QCommandLineOption broadcastOpt(QStringLiteral("broadcast"), {}, QStringLiteral("address"),
                                          QStringLiteral("127.0.1.255"));
    const QCommandLineOption portOpt(QStringLiteral("port"), {}, QStringLiteral("port"), QStringLiteral("4800"));
    const QCommandLineOption latencyOpt(QStringLiteral("latency"), {}, QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption lossOpt(QStringLiteral("loss"), {}, QStringLiteral("rate"), QStringLiteral("0"));
    const QCommandLineOption dropOpt(QStringLiteral("drop"), {}, QStringLiteral("CODE:N"));
    const QCommandLineOption stateOpt(QStringLiteral("state"), {}, QStringLiteral("dir"),
                                      QStringLiteral("kq510-machines-state"));
    const QCommandLineOption langOpt(QStringLiteral("lang"), {}, QStringLiteral("zh|en"));
    const QCommandLineOption controllerOpt(QStringLiteral("controller"), {}, QStringLiteral("K=PROTOCOL"));
    parser.addOptions({helpOpt, machinesOpt, baseOpt, broadcastOpt, portOpt, latencyOpt, lossOpt, dropOpt, stateOpt,
                       langOpt, controllerOpt});
    if (!parser.parse(app.arguments())) return refuse(kq::commandLineError(parser));
    if (parser.isSet(helpOpt)) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(QCoreApplication::translate("kq", "未知参数“%1”").arg(parser.positionalArguments().front()));

    standin::Options o;
    bool ok = parseMachines(parser.value(machinesOpt), o.machines);
    if (!ok) return refuse(QCoreApplication::translate("kq", "--machines 只能是1到10的机器编号，例如 1-10 或 1,3,5"));
    o.base = QHostAddress(parser.value(baseOpt));
    o.broadcast = QHostAddress(parser.value(broadcastOpt));
    const uint port = parser.value(portOpt).toUInt(&ok);
    o.port = quint16(port);
    if (!ok || port == 0 || port > 65535)
        return refuse(QCoreApplication::translate("kq", "--port 只能是1到65535的端口号"));
    o.latencyMs = parser.value(latencyOpt).toInt(&ok);
    if (!ok || o.latencyMs < 0) return refuse(QCoreApplication::translate("kq", "--latency 只能是0或更多的毫秒数"));
    o.lossRate = parser.value(lossOpt).toDouble(&ok);
    if (!ok || o.lossRate < 0 || o.lossRate > 1)
        return refuse(QCoreApplication::translate("kq", "--loss 只能是0到1的概率"));
    if (!parseDrops(parser.values(dropOpt), o.drops))
        return refuse(QCoreApplication::translate("kq", "--drop 只能是 CODE:N，例如 80B1:3"));
    for (const QString& given : parser.values(controllerOpt))
        if (!parseController(given, o.controllers))
            return refuse(
                QCoreApplication::translate("kq", "--controller 只能是 K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]]，"
                                                  "例如 3=e131:61 或 5=ddp:0"));
    o.stateDir = QDir(parser.value(stateOpt)).absolutePath();
    QDir().mkpath(o.stateDir);

    standin::StandInMachines machines(o);
    machines.onLog = say;
    if (!machines.start()) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate("kq", "kq510-machines：%1").arg(machines.error())));
        return 1;
    }
    say(QStringLiteral("machines %1 at %2 + k:%3, commands at %4:%3, state in %5")
            .arg(parser.value(machinesOpt), o.base.toString())
            .arg(o.port)
            .arg(o.broadcast.toString(), o.stateDir));

    // Live pictures go to ID<k>/live.png twice a second, eight pixels high per port; a controller's
    // take the place of its machine number's.
    const auto savePicture = [&](int k, const QImage& picture) {
        const QString dir = QStringLiteral("%1/ID%2").arg(o.stateDir).arg(k);
        QDir().mkpath(dir);
        picture.scaled(picture.width(), picture.height() * 8).save(dir + QStringLiteral("/live.png.tmp"), "PNG");
        QFile::remove(dir + QStringLiteral("/live.png"));
        QFile::rename(dir + QStringLiteral("/live.png.tmp"), dir + QStringLiteral("/live.png"));
    };
    QTimer pictures;
    QObject::connect(&pictures, &QTimer::timeout, [&] {
        for (int k : o.machines) {
            if (o.controllers.count(k)) continue;
            standin::MachineState* m = machines.machine(k);
            if (!m->pictureChanged) continue;
            m->pictureChanged = false;
            savePicture(k, m->picture);
        }
        for (const auto& [k, layout] : o.controllers)
            if (machines.takeControllerChange(k)) savePicture(k, machines.controller(k)->picture());
    });
    pictures.start(500);

    // Live frames are summed up every five seconds rather than logged one by one.
    QTimer summary;
    QMap<int, int> lastShown;
    int lastBad = 0;
    QObject::connect(&summary, &QTimer::timeout, [&] {
        QStringList parts;
        for (int k : o.machines) {
            const int shown = machines.machine(k)->received.value(0x8055);
            if (shown != lastShown.value(k)) parts << QStringLiteral("%1:%2").arg(k).arg(shown - lastShown.value(k));
            lastShown[k] = shown;
        }
        if (!parts.isEmpty())
            say(QStringLiteral("live frames shown in the last 5 s (machine:frames) ") + parts.join(QLatin1Char(' ')));
        for (const auto& [k, layout] : o.controllers) {
            const standin::OpenReceiver::Counts& c = machines.controller(k)->counts();
            say(QStringLiteral("controller %1: data %2, syncs %3, pushes %4, late %5, missing %6, terminated %7, "
                               "stray %8, bad %9")
                    .arg(k)
                    .arg(c.data)
                    .arg(c.syncs)
                    .arg(c.pushes)
                    .arg(c.late)
                    .arg(c.missing)
                    .arg(c.terminated)
                    .arg(c.strays)
                    .arg(c.bad));
        }
        if (machines.badFrames() != lastBad) say(QStringLiteral("bad frames so far: %1").arg(machines.badFrames()));
        lastBad = machines.badFrames();
    });
    summary.start(5000);
    return QCoreApplication::exec();
}
