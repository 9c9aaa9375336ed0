#include "stand_in_machines.h"

#include "frame_decoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkDatagram>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QUdpSocket>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

namespace standin {
namespace {

constexpr uint16_t kVersion = 0x8010, kReadParams = 0x8012, kWriteParams = 0x8013, kSelectChip = 0x8014,
                   kListChips = 0x8015, kSetByChip = 0x8016, kPortData = 0x8050, kLiveReset = 0x8054,
                   kLiveShow = 0x8055, kFirmwareStart = 0x80A0, kFirmwareData = 0x80A1, kFirmwareVerify = 0x80A2,
                   kFirmwareFinish = 0x80A3, kShowHandshake = 0x80B0, kShowData = 0x80B1, kShowEnd = 0x80B2,
                   kShowClose = 0x80B3;
constexpr int kPortBlockBytes = 2250;
constexpr int kPixelsPerPort = 750;
constexpr int kParameterBytes = 100;

QString hexCode(uint16_t code) {
    return QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
}

void putBigEndian(QByteArray& bytes, int offset, uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        bytes[offset + i] = char(value & 0xFF);
}

} // namespace

StandInMachines::StandInMachines(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)), rng_(options_.seed) {
    for (int k : options_.machines) {
        MachineState m;
        m.number = k;
        m.parameters = QByteArray(kParameterBytes, '\0');
        putBigEndian(m.parameters, 6, uint32_t(1 + (k - 1) * 150), 2); // DMX address
        m.parameters[9] = char(1);                                     // play file
        m.parameters[10] = char(k);                                    // ID
        putBigEndian(m.parameters, 11, 300, 2);                        // play time
        for (int i = 0; i < 12; ++i)
            m.serial.append(char(i < 10 ? 0x30 + i : 0xA0 + k));
        m.version = QStringLiteral("KQ-510 ID%1 V2.6").arg(k, 2, 10, QLatin1Char('0'));
        for (auto& block : m.portBlocks)
            block = QByteArray(kPortBlockBytes, '\0');
        m.picture = QImage(kPixelsPerPort, 8, QImage::Format_RGB32);
        m.picture.fill(Qt::black);
        machines_[k] = m;
    }
}

StandInMachines::~StandInMachines() {
    if (timerFd_ >= 0) close(timerFd_);
}

namespace {
qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
} // namespace

void StandInMachines::armReplyTimer() {
    if (timerFd_ < 0) {
        timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        auto* notifier = new QSocketNotifier(timerFd_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t n = read(timerFd_, &expirations, sizeof expirations);
            sendDueReplies();
        });
    }
    itimerspec timerSpec{};
    if (!pending_.empty()) {
        const qint64 due = std::max<qint64>(pending_.front().dueNs, 1);
        timerSpec.it_value.tv_sec = time_t(due / 1'000'000'000);
        timerSpec.it_value.tv_nsec = long(due % 1'000'000'000);
    }
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &timerSpec, nullptr);
}

void StandInMachines::sendDueReplies() {
    const qint64 now = monotonicNs();
    while (!pending_.empty() && pending_.front().dueNs <= now) {
        const PendingReply r = pending_.front();
        pending_.pop_front();
        r.socket->writeDatagram(r.bytes, r.to, r.port);
    }
    armReplyTimer();
}

bool StandInMachines::start() {
    const auto allowed = [](const QHostAddress& a) { return a.isLoopback(); };
    if (!allowed(options_.broadcast) || !allowed(options_.base)) {
        error_ = QCoreApplication::translate("kq", "模拟机器只在本机回环地址上收听");
        return false;
    }
    const auto bindAt = [&](const QHostAddress& address, int ownMachine) -> QUdpSocket* {
        auto* s = new QUdpSocket(this);
        if (!s->bind(address, options_.port)) {
            error_ = QCoreApplication::translate("kq", "无法在 %1:%2 收听：%3")
                         .arg(address.toString())
                         .arg(options_.port)
                         .arg(s->errorString());
            return nullptr;
        }
        connect(s, &QUdpSocket::readyRead, this, [this, s, ownMachine] { readFrom(s, ownMachine); });
        return s;
    };
    broadcastSocket_ = bindAt(options_.broadcast, 0);
    if (!broadcastSocket_) return false;
    for (auto& [k, m] : machines_) {
        QUdpSocket* s = bindAt(QHostAddress(options_.base.toIPv4Address() + quint32(k)), k);
        if (!s) return false;
        sockets_[k] = s;
    }
    for (const auto& [k, layout] : options_.controllers) {
        PlayedController& c = controllers_[k];
        c.receiver = std::make_unique<OpenReceiver>(layout);
        c.socket = new QUdpSocket(this);
        const quint16 port = layout.protocol == OpenProtocol::E131     ? 5568
                             : layout.protocol == OpenProtocol::ArtNet ? 6454
                                                                       : 4048;
        const QHostAddress at(options_.base.toIPv4Address() + quint32(k));
        if (!c.socket->bind(at, port)) {
            error_ = QCoreApplication::translate("kq", "无法在 %1:%2 收听：%3")
                         .arg(at.toString())
                         .arg(port)
                         .arg(c.socket->errorString());
            return false;
        }
        // A tick of six full ports is 30 datagrams; room for many ticks while the stand-in is busy.
        c.socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 << 20);
        connect(c.socket, &QUdpSocket::readyRead, this, [this, k = k] {
            PlayedController& played = controllers_[k];
            while (played.socket->hasPendingDatagrams()) {
                const QNetworkDatagram d = played.socket->receiveDatagram();
                const OpenReceiver::Taken taken = played.receiver->receive(d.data());
                if (taken == OpenReceiver::Taken::Shown || taken == OpenReceiver::Taken::Sync) played.changed = true;
            }
        });
    }
    return true;
}

OpenReceiver* StandInMachines::controller(int number) {
    const auto it = controllers_.find(number);
    return it == controllers_.end() ? nullptr : it->second.receiver.get();
}

bool StandInMachines::takeControllerChange(int number) {
    const auto it = controllers_.find(number);
    return it != controllers_.end() && std::exchange(it->second.changed, false);
}

MachineState* StandInMachines::machine(int number) {
    const auto it = machines_.find(number);
    return it == machines_.end() ? nullptr : &it->second;
}

QString StandInMachines::sdCardFileName(int machine) {
    return QStringLiteral("ID-%1.KQ4").arg(machine, 2, 10, QLatin1Char('0'));
}

void StandInMachines::readFrom(QUdpSocket* socket, int ownMachine) {
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram d = socket->receiveDatagram();
        arrivalNs_ = monotonicNs();
        QString why;
        const auto frame = decodeFrame(d.data(), &why);
        if (!frame) {
            ++badFrames_;
            log_ << QStringLiteral("bad frame of %1 bytes: %2").arg(d.data().size()).arg(why);
            if (onLog) onLog(log_.back());
            continue;
        }
        for (auto& [k, m] : machines_) {
            // The broadcast endpoint reaches every machine, which takes frames for itself or for all;
            // a machine's own address only carries frames for it.
            if (ownMachine != 0 && k != ownMachine) continue;
            if (frame->machine != 0 && frame->machine != k) continue;
            const int n = ++m.received[frame->code];
            const auto drop = options_.drops.find(frame->code);
            const bool dropOnPurpose = drop != options_.drops.end() && drop->second.contains(n);
            if (dropOnPurpose || (options_.lossRate > 0 && rng_.generateDouble() < options_.lossRate)) {
                ++m.dropped;
                note(m, QStringLiteral("%1 #%2 lost").arg(hexCode(frame->code)).arg(n));
                continue;
            }
            handle(m, frame->code, frame->payload, d.senderAddress(), quint16(d.senderPort()));
        }
    }
}

void StandInMachines::handle(MachineState& m, uint16_t code, const QByteArray& p, const QHostAddress& from,
                             quint16 port) {
    switch (code) {
    case kVersion:
        reply(m, m.version.toLatin1(), from, port);
        note(m, QStringLiteral("8010 version query answered: %1").arg(m.version));
        break;
    case kReadParams:
        reply(m, m.parameters, from, port);
        note(m, QStringLiteral("8012 parameters read: ID %1, DMX %2")
                    .arg(uint8_t(m.parameters[10]))
                    .arg(readBigEndian(m.parameters, 6, 2)));
        break;
    case kWriteParams:
        m.parameters.replace(0, qMin<qsizetype>(p.size(), kParameterBytes),
                             p.first(qMin<qsizetype>(p.size(), kParameterBytes)));
        note(m, QStringLiteral("8013 parameters written: ID %1, DMX %2")
                    .arg(uint8_t(m.parameters[10]))
                    .arg(readBigEndian(m.parameters, 6, 2)));
        break;
    case kListChips: {
        QByteArray record;
        record.append(char(0xFA)).append(m.parameters[10]).append(m.serial).append(m.parameters);
        reply(m, record, from, port);
        note(m, QStringLiteral("8015 chip record sent"));
        break;
    }
    case kSetByChip:
        if (p.size() >= 114 && uint8_t(p[0]) == 0xFA && p.mid(2, 12) == m.serial) {
            m.parameters = p.mid(14, kParameterBytes);
            m.parameters[10] = p[1];
            note(m, QStringLiteral("8016 parameters set by serial: ID %1").arg(uint8_t(p[1])));
        }
        break;
    case kSelectChip:
        if (p.size() >= 14 && p.mid(2, 12) == m.serial) note(m, QStringLiteral("8014 selected"));
        break;
    case kPortData:
        storePortData(m, p);
        break;
    case kLiveReset:
        for (auto& block : m.portBlocks)
            block.fill('\0');
        m.picture.fill(Qt::black);
        break;
    case kLiveShow:
        show(m);
        break;
    case kShowHandshake:
        m.receiving.clear();
        m.downloadPackets = 0;
        note(m, QStringLiteral("80B0 download starts"));
        ack(m, from, port);
        break;
    case kShowData: {
        const int count = int(readBigEndian(p, 4, 2));
        const auto data = 6 + count <= p.size() ? decodeZeroRuns(QByteArrayView(p).sliced(6, count)) : std::nullopt;
        if (!data) {
            note(m, QStringLiteral("80B1 packet %1 cannot be decoded").arg(m.downloadPackets + 1));
            break;
        }
        m.receiving.append(*data);
        ++m.downloadPackets;
        ack(m, from, port);
        break;
    }
    case kShowEnd:
        m.declaredLength = readBigEndian(p, 0, 4);
        m.sdCard = m.receiving;
        save(m, sdCardFileName(m.number), m.sdCard);
        note(m, m.declaredLength == uint32_t(m.sdCard.size())
                    ? QStringLiteral("80B2 download complete: %1 bytes in %2 packets")
                          .arg(m.sdCard.size())
                          .arg(m.downloadPackets)
                    : QStringLiteral("80B2 download ends with %1 bytes, %2 announced")
                          .arg(m.sdCard.size())
                          .arg(m.declaredLength));
        ack(m, from, port);
        break;
    case kShowClose:
        note(m, QStringLiteral("80B3 download closed"));
        break;
    case kFirmwareStart:
        m.firmware.clear();
        m.firmwareVerified = false;
        note(m, QStringLiteral("80A0 firmware upgrade starts"));
        ack(m, from, port);
        break;
    case kFirmwareData: {
        const int offset = int(readBigEndian(p, 0, 4));
        const int count = int(readBigEndian(p, 4, 2));
        if (p.size() != 1050 || count > 1024 || offset > 64 * 1024 * 1024) {
            note(m, QStringLiteral("80A1 packet of %1 bytes refused").arg(p.size()));
            break;
        }
        if (m.firmware.size() < offset + count) m.firmware.resize(offset + count, '\0');
        m.firmware.replace(offset, count, p.mid(6, count));
        ack(m, from, port);
        break;
    }
    case kFirmwareVerify: {
        const uint32_t length = readBigEndian(p, 0, 4);
        const uint32_t checksum = readBigEndian(p, 4, 2);
        uint16_t sum = 0;
        for (char b : std::as_const(m.firmware))
            sum = uint16_t(sum + uint8_t(b));
        m.firmwareVerified = length == uint32_t(m.firmware.size()) && checksum == sum;
        if (!m.firmwareVerified) {
            note(m, QStringLiteral("80A2 verify failed: %1 bytes sum %2, announced %3 bytes sum %4")
                        .arg(m.firmware.size())
                        .arg(sum)
                        .arg(length)
                        .arg(checksum));
            break;
        }
        note(m, QStringLiteral("80A2 verified: %1 bytes, sum %2").arg(length).arg(checksum));
        ack(m, from, port);
        break;
    }
    case kFirmwareFinish:
        if (m.firmwareVerified) {
            ++m.restarts;
            save(m, QStringLiteral("firmware.bin"), m.firmware);
            note(m, QStringLiteral("80A3 restarts with the new firmware"));
        }
        break;
    default:
        // Streams (DMX, LED test, disconnected state) repeat every frame period: log them when they change.
        if (m.lastPayload.value(code) == p && m.received.value(code) > 1) break;
        m.lastPayload[code] = p;
        note(m, QStringLiteral("%1 received (%2 payload bytes%3)")
                    .arg(hexCode(code))
                    .arg(p.size())
                    .arg(p.isEmpty() ? QString()
                                     : QStringLiteral(": ") + QString::fromLatin1(p.left(24).toHex(' ').toUpper())));
        break;
    }
}

void StandInMachines::storePortData(MachineState& m, const QByteArray& p) {
    const int port = p.size() >= 8 ? uint8_t(p[1]) : 0;
    const int count = int(readBigEndian(p, 2, 2));
    const int start = int(readBigEndian(p, 4, 2));
    if (port < 1 || port > 8 || count != p.size() - 8 || start + count > kPortBlockBytes) {
        note(m, QStringLiteral("8050 port data refused: port %1, %2 bytes at %3").arg(port).arg(count).arg(start));
        return;
    }
    m.colourOrder = uint8_t(p[6]);
    m.portBlocks[size_t(port)].replace(start, count, p.mid(8, count));
}

void StandInMachines::show(MachineState& m) {
    for (int port = 1; port <= 8; ++port) {
        const QByteArray& b = m.portBlocks[size_t(port)];
        auto* row = reinterpret_cast<QRgb*>(m.picture.scanLine(port - 1));
        for (int x = 0; x < kPixelsPerPort; ++x)
            row[x] = qRgb(uint8_t(b[x]), uint8_t(b[kPixelsPerPort + x]), uint8_t(b[2 * kPixelsPerPort + x]));
    }
    m.pictureChanged = true;
}

void StandInMachines::reply(MachineState& m, const QByteArray& bytes, const QHostAddress& to, quint16 port) {
    if (!to.isLoopback()) return;
    QUdpSocket* s = sockets_[m.number];
    if (options_.latencyMs <= 0) {
        s->writeDatagram(bytes, to, port);
        return;
    }
    pending_.push_back({arrivalNs_ + qint64(options_.latencyMs) * 1'000'000, s, bytes, to, port});
    if (pending_.size() == 1) armReplyTimer();
}

void StandInMachines::ack(MachineState& m, const QHostAddress& to, quint16 port) {
    reply(m, QByteArray("\x88\x66", 2), to, port);
}

void StandInMachines::save(MachineState& m, const QString& name, const QByteArray& bytes) {
    if (options_.stateDir.isEmpty()) return;
    const QString dir = QStringLiteral("%1/ID%2").arg(options_.stateDir).arg(m.number);
    QDir().mkpath(dir);
    QSaveFile f(dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) f.commit();
}

// The log reads the same in every language: the tests look for its lines, and so may a developer's
// scripts.
void StandInMachines::note(const MachineState& m, const QString& text) {
    constexpr int kKeptLines = 10000;
    if (log_.size() >= kKeptLines) log_.remove(0, kKeptLines / 2);
    log_ << QStringLiteral("[machine %1] %2").arg(m.number, 2, 10, QLatin1Char('0')).arg(text);
    if (onLog) onLog(log_.back());
}

} // namespace standin
