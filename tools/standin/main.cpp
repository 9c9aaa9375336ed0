// kq510-machines: plays machines 1..10 on loopback for development, tests and demonstrations.
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

void say(const QString& line) {
    std::printf("%s %s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))), qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kq510-machines"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stand-in KQ-510 machines on loopback: machine k listens at BASE + k, command frames arrive at the "
        "broadcast address; replies go back to the sender."));
    parser.addHelpOption();
    const QCommandLineOption machinesOpt(QStringLiteral("machines"),
                                         QStringLiteral("Machines that answer, e.g. 1-10 or 1,3,5."),
                                         QStringLiteral("list"), QStringLiteral("1-10"));
    const QCommandLineOption baseOpt(QStringLiteral("base"), QStringLiteral("Machine k listens at this address + k."),
                                     QStringLiteral("address"), QStringLiteral("127.0.1.200"));
    const QCommandLineOption broadcastOpt(QStringLiteral("broadcast"),
                                          QStringLiteral("Address the program sends command frames to."),
                                          QStringLiteral("address"), QStringLiteral("127.0.1.255"));
    const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Command port."), QStringLiteral("port"),
                                     QStringLiteral("4800"));
    const QCommandLineOption latencyOpt(QStringLiteral("latency"), QStringLiteral("Milliseconds before each reply."),
                                        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption lossOpt(QStringLiteral("loss"),
                                     QStringLiteral("Chance (0..1) that a machine ignores a frame."),
                                     QStringLiteral("rate"), QStringLiteral("0"));
    const QCommandLineOption dropOpt(
        QStringLiteral("drop"),
        QStringLiteral("Ignore the Nth frame of CODE on each machine, e.g. 80B1:3 (repeatable)."),
        QStringLiteral("CODE:N"));
    const QCommandLineOption stateOpt(QStringLiteral("state"),
                                      QStringLiteral("Folder for the machines' SD cards, firmware and live pictures."),
                                      QStringLiteral("dir"), QStringLiteral("kq510-machines-state"));
    parser.addOptions({machinesOpt, baseOpt, broadcastOpt, portOpt, latencyOpt, lossOpt, dropOpt, stateOpt});
    parser.process(app);

    standin::Options o;
    bool ok = parseMachines(parser.value(machinesOpt), o.machines);
    if (!ok) parser.showHelp(2);
    o.base = QHostAddress(parser.value(baseOpt));
    o.broadcast = QHostAddress(parser.value(broadcastOpt));
    o.port = quint16(parser.value(portOpt).toUInt(&ok));
    if (!ok || o.port == 0) parser.showHelp(2);
    o.latencyMs = parser.value(latencyOpt).toInt(&ok);
    if (!ok || o.latencyMs < 0) parser.showHelp(2);
    o.lossRate = parser.value(lossOpt).toDouble(&ok);
    if (!ok || o.lossRate < 0 || o.lossRate > 1) parser.showHelp(2);
    if (!parseDrops(parser.values(dropOpt), o.drops)) parser.showHelp(2);
    o.stateDir = QDir(parser.value(stateOpt)).absolutePath();
    QDir().mkpath(o.stateDir);

    standin::StandInMachines machines(o);
    machines.onLog = say;
    if (!machines.start()) {
        std::fprintf(stderr, "kq510-machines: %s\n", qPrintable(machines.error()));
        return 1;
    }
    say(QStringLiteral("machines %1 at %2 + k:%3, commands at %4:%3, state in %5")
            .arg(parser.value(machinesOpt), o.base.toString())
            .arg(o.port)
            .arg(o.broadcast.toString(), o.stateDir));

    // Live pictures go to ID<k>/live.png twice a second, eight pixels high per port.
    QTimer pictures;
    QObject::connect(&pictures, &QTimer::timeout, [&] {
        for (int k : o.machines) {
            standin::MachineState* m = machines.machine(k);
            if (!m->pictureChanged) continue;
            m->pictureChanged = false;
            const QString dir = QStringLiteral("%1/ID%2").arg(o.stateDir).arg(k);
            QDir().mkpath(dir);
            m->picture.scaled(m->picture.width(), m->picture.height() * 8)
                .save(dir + QStringLiteral("/live.png.tmp"), "PNG");
            QFile::remove(dir + QStringLiteral("/live.png"));
            QFile::rename(dir + QStringLiteral("/live.png.tmp"), dir + QStringLiteral("/live.png"));
        }
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
        if (machines.badFrames() != lastBad) say(QStringLiteral("bad frames so far: %1").arg(machines.badFrames()));
        lastBad = machines.badFrames();
    });
    summary.start(5000);
    return QCoreApplication::exec();
}
