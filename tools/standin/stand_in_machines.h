#pragma once

#include "open_receivers.h"

#include <QByteArray>
#include <QHostAddress>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class QUdpSocket;

namespace standin {

struct Options {
    QList<int> machines = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QHostAddress base{QStringLiteral("127.0.1.200")};      // machine k listens at base + k
    QHostAddress broadcast{QStringLiteral("127.0.1.255")}; // where the program's command frames arrive
    quint16 port = 4800;
    int latencyMs = 0;   // delay before each reply
    double lossRate = 0; // chance that a machine ignores an incoming frame
    quint32 seed = 510;
    QString stateDir; // SD cards, firmware and pictures are kept here; empty: in memory only
    // Frames to ignore on purpose: code -> the numbers (1-based, per machine) of the frames to drop.
    std::map<uint16_t, QList<int>> drops;
    // Machine numbers played as open-protocol controllers instead: each listens at base + k on its
    // protocol's port (E1.31 5568, Art-Net 6454, DDP 4048) and decodes what comes with code of its own.
    std::map<int, OpenLayout> controllers;
};

// What one stand-in machine holds.
struct MachineState {
    int number = 0;
    QByteArray parameters; // 100 bytes: 6-7 DMX address, 9 play file, 10 ID, 11-12 play time
    QByteArray serial;     // 12 bytes
    QString version;
    std::array<QByteArray, 9> portBlocks; // live data, 2,250 bytes per port 1..8
    QImage picture;                       // what the LEDs show since the last "8055": one row per port
    bool pictureChanged = false;
    int colourOrder = 0;
    // Show download.
    QByteArray receiving;
    int downloadPackets = 0;
    QByteArray sdCard; // the playback file kept after the last download
    uint32_t declaredLength = 0;
    // Firmware.
    QByteArray firmware;
    bool firmwareVerified = false;
    int restarts = 0;
    // Bookkeeping.
    QMap<uint16_t, int> received; // frames per command code
    QMap<uint16_t, QByteArray> lastPayload;
    int dropped = 0;
};

// Plays machines on loopback: answers what the program relies on, decodes what it sends, and counts
// every frame it cannot read.
class StandInMachines : public QObject {
    Q_OBJECT
public:
    explicit StandInMachines(Options options, QObject* parent = nullptr);
    ~StandInMachines() override;

    // Binds every socket; false with the reason in error() when any cannot be bound.
    bool start();
    QString error() const { return error_; }

    MachineState* machine(int number);
    // The controller played on machine number k, or null.
    OpenReceiver* controller(int number);
    // True once after what controller k shows changed.
    bool takeControllerChange(int number);
    int badFrames() const { return badFrames_; }
    QStringList log() const { return log_; }
    // Called with each log line as it is written.
    std::function<void(const QString&)> onLog;

    static QString sdCardFileName(int machine);

private:
    void readFrom(QUdpSocket* socket, int ownMachine);
    void handle(MachineState& m, uint16_t code, const QByteArray& payload, const QHostAddress& from, quint16 port);
    void reply(MachineState& m, const QByteArray& bytes, const QHostAddress& to, quint16 port);
    void ack(MachineState& m, const QHostAddress& to, quint16 port);
    void storePortData(MachineState& m, const QByteArray& payload);
    void show(MachineState& m);
    void save(MachineState& m, const QString& name, const QByteArray& bytes);
    void note(const MachineState& m, const QString& text);

    Options options_;
    std::map<int, MachineState> machines_;
    std::map<int, QUdpSocket*> sockets_;
    struct PlayedController {
        std::unique_ptr<OpenReceiver> receiver;
        QUdpSocket* socket = nullptr;
        bool changed = false;
    };
    std::map<int, PlayedController> controllers_;
    QUdpSocket* broadcastSocket_ = nullptr;
    // Replies held back for the latency, sent by a timer descriptor armed at the exact instant the
    // first is due (Qt's timers are only millisecond-accurate, which would add to the latency).
    struct PendingReply {
        qint64 dueNs;
        QUdpSocket* socket;
        QByteArray bytes;
        QHostAddress to;
        quint16 port;
    };
    std::deque<PendingReply> pending_;
    // When the datagram being handled was read: a reply is due the latency after it, however long the
    // machine takes to handle it, as a real machine answers.
    qint64 arrivalNs_ = 0;
    int timerFd_ = -1;
    void armReplyTimer();
    void sendDueReplies();
    QRandomGenerator rng_;
    int badFrames_ = 0;
    QStringList log_;
    QString error_;
};

} // namespace standin
