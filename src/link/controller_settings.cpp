#include "controller_settings.h"

#include "core/common_functions.h"
#include "core/settings_file.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QStringList>

namespace kq::link {
namespace {

bool isOpen(ControllerKind k) {
    return k != ControllerKind::Family;
}

QString key(const QString& prefix, int machine) {
    return prefix + Fun_Pad2(machine);
}

std::optional<qint64> parseLong(const QString& text, qint64 min, qint64 max) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max) return std::nullopt;
    return v;
}

enum class Applied { NotTheTables, Taken, OutOfRange };

// Applies one "key=value" of the table to t; a value out of range leaves the default.
Applied applyValue(ControllerTable& t, const QString& k, const QString& value) {
    const auto take = [](auto v, auto& into) {
        if (!v) return Applied::OutOfRange;
        into = *v;
        return Applied::Taken;
    };
    const auto number = [&](int min, int max) { return kq::ini::parseWholeNumber(value, min, max); };
    const auto flag = [&](bool& into) {
        const auto v = number(0, 1);
        if (!v) return Applied::OutOfRange;
        into = *v == 1;
        return Applied::Taken;
    };
    if (k == kKeyE131Priority) return take(number(0, kE131MaxPriority), t.priority);
    if (k == kKeyE131SyncUniverse) return take(number(0, kE131MaxUniverse), t.syncUniverse);
    if (k == kKeyArtNetSync) return flag(t.artSync);
    if (k == kKeyDdpSync) return flag(t.ddpSync);
    for (const QString* prefix :
         {&kKeyControllerKind, &kKeyControllerColour, &kKeyControllerPixels, &kKeyControllerUniverse,
          &kKeyControllerChannels, &kKeyControllerDdpOffset, &kKeyControllerMulticast, &kKeyControllerStartChannel}) {
        if (!k.startsWith(*prefix) || k.size() != prefix->size() + 2) continue;
        const std::optional<int> m = kq::ini::parseWholeNumber(k.mid(prefix->size()), 1, 10);
        if (!m || k.mid(prefix->size()) != Fun_Pad2(*m)) return Applied::NotTheTables;
        ControllerSetting& s = t.machine[size_t(*m)];
        if (prefix == &kKeyControllerKind) return take(kindNamed(value.trimmed()), s.kind);
        if (prefix == &kKeyControllerColour) return take(number(1, 6), s.colourOrder);
        if (prefix == &kKeyControllerPixels) return take(number(1, kMaxPixelsPerPort), s.pixelsPerPort);
        if (prefix == &kKeyControllerUniverse) return take(number(0, kE131MaxUniverse), s.firstUniverse);
        if (prefix == &kKeyControllerChannels) {
            const auto v = number(510, 512);
            return take(v && *v != 511 ? v : std::nullopt, s.channelsPerUniverse);
        }
        if (prefix == &kKeyControllerDdpOffset) return take(parseLong(value, 0, kDdpMaxOffset), s.ddpOffset);
        if (prefix == &kKeyControllerStartChannel) return take(number(0, 1 << 24), s.startChannel);
        return flag(s.multicast);
    }
    return Applied::NotTheTables;
}

QStringList tableLines(const ControllerTable& t) {
    QStringList lines;
    for (int m = 1; m <= 10; ++m) {
        const ControllerSetting& s = t.machine[size_t(m)];
        lines << key(kKeyControllerKind, m) + QLatin1Char('=') + kindName(s.kind)
              << key(kKeyControllerColour, m) + QLatin1Char('=') + QString::number(s.colourOrder)
              << key(kKeyControllerPixels, m) + QLatin1Char('=') + QString::number(s.pixelsPerPort)
              << key(kKeyControllerUniverse, m) + QLatin1Char('=') + QString::number(s.firstUniverse)
              << key(kKeyControllerChannels, m) + QLatin1Char('=') + QString::number(s.channelsPerUniverse)
              << key(kKeyControllerDdpOffset, m) + QLatin1Char('=') + QString::number(s.ddpOffset)
              << key(kKeyControllerMulticast, m) + QLatin1Char('=') + (s.multicast ? "1" : "0")
              << key(kKeyControllerStartChannel, m) + QLatin1Char('=') + QString::number(s.startChannel);
    }
    lines << kKeyE131Priority + QLatin1Char('=') + QString::number(t.priority)
          << kKeyE131SyncUniverse + QLatin1Char('=') + QString::number(t.syncUniverse)
          << kKeyArtNetSync + QLatin1Char('=') + (t.artSync ? "1" : "0")
          << kKeyDdpSync + QLatin1Char('=') + (t.ddpSync ? "1" : "0");
    return lines;
}

} // namespace

bool ControllerTable::anyOpen() const {
    for (int m = 1; m <= 10; ++m)
        if (isOpen(machine[size_t(m)].kind)) return true;
    return false;
}

ControllerSetting defaultOpenSetting(ControllerKind kind, int machine) {
    ControllerSetting s;
    s.kind = kind;
    // 750 pixels a port in 510 channels take 5 universes, six ports 30.
    const int perMachine = kControllerPorts * 5;
    s.firstUniverse = kind == ControllerKind::ArtNet ? (machine - 1) * perMachine : (machine - 1) * perMachine + 1;
    return s;
}

open::PortLayout layoutOf(const ControllerSetting& s) {
    open::PortLayout l;
    l.protocol = s.kind == ControllerKind::ArtNet ? open::Protocol::ArtNet
                 : s.kind == ControllerKind::Ddp  ? open::Protocol::Ddp
                                                  : open::Protocol::E131;
    l.pixelsPerPort = s.pixelsPerPort;
    l.firstUniverse = s.firstUniverse;
    l.channelsPerUniverse = s.channelsPerUniverse;
    l.ddpOffset = s.ddpOffset;
    l.colourOrder = s.colourOrder;
    return l;
}

QString tableProblem(const ControllerTable& t, const std::array<QString, 11>& addresses) {
    std::vector<open::Controller> open;
    for (int m = 1; m <= 10; ++m)
        if (isOpen(t.machine[size_t(m)].kind))
            open.push_back({m, addresses[size_t(m)], layoutOf(t.machine[size_t(m)])});
    return open::controllersProblem(open).value_or(QString());
}

QString kindName(ControllerKind kind) {
    switch (kind) {
    case ControllerKind::E131:
        return QStringLiteral("e131");
    case ControllerKind::ArtNet:
        return QStringLiteral("artnet");
    case ControllerKind::Ddp:
        return QStringLiteral("ddp");
    case ControllerKind::Family:
        break;
    }
    return QStringLiteral("kq");
}

std::optional<ControllerKind> kindNamed(const QString& name) {
    for (ControllerKind k : {ControllerKind::Family, ControllerKind::E131, ControllerKind::ArtNet, ControllerKind::Ddp})
        if (name == kindName(k)) return k;
    return std::nullopt;
}

ControllerTable readControllers(const QString& iniPath) {
    ControllerTable t;
    const QByteArray file = kq::readWholeFile(iniPath).value_or(QByteArray());
    for (const QString& line : tableLines(t)) {
        const QString k = line.section(QLatin1Char('='), 0, 0);
        if (const auto value = kq::ini::lookup(file, k)) applyValue(t, k, *value);
    }
    // A controller given only its kind takes the universes its number has by default.
    for (int m = 1; m <= 10; ++m) {
        ControllerSetting& s = t.machine[size_t(m)];
        if (isOpen(s.kind) && !kq::ini::lookup(file, key(kKeyControllerUniverse, m)))
            s.firstUniverse = defaultOpenSetting(s.kind, m).firstUniverse;
    }
    const QByteArray cid = QByteArray::fromHex(kq::ini::lookup(file, kKeyE131Cid).value_or(QString()).toLatin1());
    if (cid.size() == 16) {
        t.cid = cid;
    } else if (t.anyOpen()) {
        // A version 4 UUID, made once: receivers tell sources apart by it.
        t.cid.resize(16);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(t.cid.data()), 4);
        t.cid[6] = char((uint8_t(t.cid[6]) & 0x0F) | 0x40);
        t.cid[8] = char((uint8_t(t.cid[8]) & 0x3F) | 0x80);
        Fun_WriteIni(iniPath, kKeyE131Cid, QString::fromLatin1(t.cid.toHex()));
    }
    return t;
}

bool writeControllers(const QString& iniPath, const ControllerTable& t) {
    QByteArray file = kq::readWholeFile(iniPath).value_or(QByteArray());
    for (const QString& line : tableLines(t))
        file = kq::ini::replace(file, line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    if (t.cid.size() == 16) file = kq::ini::replace(file, kKeyE131Cid, QString::fromLatin1(t.cid.toHex()));
    return kq::writeFileAtomically(iniPath, file);
}

QString exportControllers(const ControllerTable& t) {
    return tableLines(t).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

std::optional<ControllerTable> importControllers(const QString& text, const ControllerTable& base, QString* error) {
    ControllerTable t;
    t.cid = base.cid;
    int lineNumber = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const Applied applied =
            eq > 0 ? applyValue(t, line.left(eq).trimmed(), line.mid(eq + 1)) : Applied::NotTheTables;
        if (applied != Applied::Taken) {
            if (error)
                *error =
                    (applied == Applied::OutOfRange ? QCoreApplication::translate("kq", "第%1行的值超出范围：%2")
                                                    : QCoreApplication::translate("kq", "第%1行不是控制器表的设置：%2"))
                        .arg(lineNumber)
                        .arg(line.left(80));
            return std::nullopt;
        }
    }
    return t;
}

quint32 startChannel(const ControllerTable& table, int machine) {
    const int given = table.machine[size_t(machine)].startChannel;
    return given >= 1 ? quint32(given) : quint32(machine - 1) * kFamilyChannels + 1;
}

std::vector<PortChannels> channelMap(const ControllerTable& table) {
    std::vector<PortChannels> map;
    for (int m = 1; m <= 10; ++m) {
        const ControllerSetting& s = table.machine[size_t(m)];
        for (int p = 1; p <= 6; ++p) {
            PortChannels c{m, p, 0, 750, 1};
            qint64 first = 0;
            if (s.kind == ControllerKind::Family) {
                first = qint64(startChannel(table, m)) - 1 + qint64(p - 1) * 2250;
            } else {
                const open::PortLayout layout = layoutOf(s);
                c.pixels = s.pixelsPerPort;
                c.colourOrder = s.colourOrder;
                if (s.kind == ControllerKind::Ddp) {
                    first = s.ddpOffset + qint64(p - 1) * c.pixels * 3;
                } else {
                    const int perPort = open::universesPerPort(layout);
                    const qint64 universe = s.firstUniverse + qint64(p - 1) * perPort;
                    // E1.31 universes count from 1, Art-Net port-addresses from 0.
                    first = (s.kind == ControllerKind::E131 ? universe - 1 : universe) * s.channelsPerUniverse;
                }
            }
            if (first < 0 || first + qint64(c.pixels) * 3 > qint64(kSequenceChannelLimit))
                c.pixels = 0; // said by channelMapProblem when a used port
            else
                c.first = quint32(first);
            map.push_back(c);
        }
    }
    return map;
}

QString channelMapProblem(const std::vector<PortChannels>& ports) {
    for (const PortChannels& c : ports)
        if (c.pixels == 0)
            return QCoreApplication::translate("kq", "机器%1的端口%2超出序列文件的%3个通道")
                .arg(c.machine)
                .arg(c.port)
                .arg(kSequenceChannelLimit);
    for (size_t i = 0; i < ports.size(); ++i)
        for (size_t j = i + 1; j < ports.size(); ++j) {
            const PortChannels &a = ports[i], &b = ports[j];
            if (a.machine == b.machine) continue;
            if (a.first < b.end() && b.first < a.end())
                return QCoreApplication::translate("kq", "机器%1和机器%2的通道重叠：%3到%4与%5到%6")
                    .arg(a.machine)
                    .arg(b.machine)
                    .arg(a.first + 1)
                    .arg(a.end())
                    .arg(b.first + 1)
                    .arg(b.end());
        }
    return {};
}

} // namespace kq::link
