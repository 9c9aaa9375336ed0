#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/link_settings.h"
#include "link/plugin_protocol.h"
#include "link/socket_master.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "standin/frame_decoder.h"
#include "support/fakes.h"
#include "support/udp_sniffer.h"

#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>
#include <gtest/gtest.h>

namespace {

using kq::test::UdpSniffer;

QString offset(const QString& base, int k) {
    return QHostAddress(QHostAddress(base).toIPv4Address() + k).toString();
}

class Endpoints : public testing::Test {
protected:
    void SetUp() override {
        base = home.useLoopbackMachines();
        commands = std::make_unique<UdpSniffer>(offset(base, 55), 4800);
        ASSERT_TRUE(commands->bound);
    }

    kq::test::TempHome home;
    QString base;
    std::unique_ptr<UdpSniffer> commands; // where the broadcast endpoint's frames arrive
};

TEST_F(Endpoints, CommandFramesLeaveByteForByte) {
    ASSERT_TRUE(Fun_SendCommand(0, "805E", ""));
    ASSERT_TRUE(Fun_SendCommand(4, "8013", "01 02 0A"));
    ASSERT_TRUE(Fun_SendCommandNoWait(4, "8013", "01020A"));
    const auto got = commands->take();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0].data(), QByteArray::fromHex("5A454C554E412D4E4554 000100 00 805E 03"));
    EXPECT_EQ(got[1].data(), kq::link::encodeFrame(4, 0x8013, QByteArray::fromHex("01020A")));
    EXPECT_EQ(got[2].data(), got[1].data());
    // The frame buffer keeps the whole frame, low byte of the sum included.
    EXPECT_EQ(g_FrameLen, 16 + 3 + 2);
}

TEST_F(Endpoints, MalformedCommandTextSendsNothing) {
    EXPECT_FALSE(Fun_SendCommand(0, "8013", "0A1"));
    EXPECT_FALSE(Fun_SendCommand(0, "8013", "ZZ"));
    EXPECT_FALSE(Fun_SendCommand(0, "81", ""));
    EXPECT_FALSE(Fun_SendFrame(256, 0x8010, {}, false));
    EXPECT_TRUE(commands->take().isEmpty());
}

TEST_F(Endpoints, ChunkedBlockGoesAs1200And1050WithTheirOwnCheckBytes) {
    QByteArray block(2250, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 7);
    g_ColourOrder = 5;
    int32_t remaining = 2250;
    Fun_SendBlockChunked(3, 2, remaining, block);
    EXPECT_EQ(remaining, 0);
    const auto got = commands->take();
    ASSERT_EQ(got.size(), 2);
    const struct { int offset, count; } expected[] = {{0, 1200}, {1200, 1050}};
    for (int i = 0; i < 2; ++i) {
        QString why;
        const auto f = standin::decodeFrame(got[i].data(), &why);
        ASSERT_TRUE(f) << why.toStdString();
        EXPECT_EQ(f->machine, 3);
        EXPECT_EQ(f->code, 0x8050);
        EXPECT_EQ(f->payload, kq::link::portDataPayload(2, expected[i].offset, 5,
                                                        block.mid(expected[i].offset, expected[i].count)));
    }
}

TEST_F(Endpoints, HalfBlocksGoToTheMachinesOwnAddress) {
    UdpSniffer machine3(offset(base, 3), 4800);
    ASSERT_TRUE(machine3.bound);
    for (int i = 0; i < 2250; ++i)
        g_LivePlanes[3][2][i] = uint8_t(i % 251);
    Fun_SendHalfBlock(3, 2, 1125, g_LivePlanes);
    Fun_SendHalfBlock(0, 2, 0, g_LivePlanes);
    Fun_SendHalfBlock(11, 2, 0, g_LivePlanes);
    const auto got = machine3.take();
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].data().size(), 1150);
    const auto f = standin::decodeFrame(got[0].data());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->payload,
              kq::link::portDataPayload(
                  2, 1125, 3, QByteArrayView(reinterpret_cast<const char*>(&g_LivePlanes[3][2][1125]), 1125)));
    EXPECT_TRUE(commands->take().isEmpty());
}

TEST_F(Endpoints, SendsTheElementsBelowTheUpperBoundAndIgnoresUnknownMachines) {
    std::vector<std::unique_ptr<UdpSniffer>> machines;
    for (int k = 1; k <= 10; ++k)
        machines.push_back(std::make_unique<UdpSniffer>(offset(base, k), 4800));
    Form_UDP().Fun_send_udpN(0, QByteArray(18, 'x'));
    Form_UDP().Fun_send_udpN(11, QByteArray(18, 'x'));
    Form_UDP().Fun_send_udp(QByteArray(18, 'y'));
    Form_UDP().Fun_send_udpN(10, QByteArray(5, 'z'));
    const auto got = commands->take();
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].data(), QByteArray(17, 'y'));
    for (int k = 1; k <= 9; ++k)
        EXPECT_TRUE(machines[size_t(k - 1)]->take(0).isEmpty()) << k;
    const auto ten = machines[9]->take(0);
    ASSERT_EQ(ten.size(), 1);
    EXPECT_EQ(ten[0].data(), QByteArray(4, 'z'));
    EXPECT_TRUE(home.dialogs.shown.isEmpty());
}

TEST_F(Endpoints, GuardRefusesTheMachinesNetworkWithAClearError) {
    for (const char* address : {"192.168.1.201", "255.255.255.255"}) {
        Fun_UnloadFormUdp();
        home.dialogs.shown.clear();
        CSocketMaster& client = *Form_UDP().Client;
        client.setRemoteHost(address);
        int errors = 0;
        QObject::connect(&client, &CSocketMaster::Error, [&](int number, const QString&, const QString& source, bool*) {
            ++errors;
            EXPECT_EQ(number, 10013);
            EXPECT_EQ(source, "CSocketMaster.SendBufferedDataUDP");
        });
        EXPECT_FALSE(client.SendData1111(kq::link::encodeFrame(0, 0x805E, {}) + '\0'));
        EXPECT_FALSE(client.SendData1111(kq::link::encodeFrame(0, 0x805E, {}) + '\0'));
        EXPECT_EQ(client.state(), CSocketMaster::sckError);
        EXPECT_EQ(errors, 2);
        // One box per endpoint and error, not one per frame.
        ASSERT_EQ(home.dialogs.shown.size(), 1) << address;
        EXPECT_EQ(home.dialogs.shown[0].title, "CSocketMaster.SendBufferedDataUDP");
        EXPECT_TRUE(home.dialogs.shown[0].text.contains(address));
        EXPECT_TRUE(home.dialogs.shown[0].text.startsWith("Permission denied."));
    }
}

TEST(LinkAddresses, DefaultsAreTheMachinesNetwork) {
    const kq::link::LinkAddresses a;
    EXPECT_EQ(a.broadcast, "255.255.255.255");
    EXPECT_EQ(a.commandPort, 4800);
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(a.machine[size_t(k)], QStringLiteral("192.168.1.%1").arg(200 + k)) << k;
    EXPECT_EQ(a.pluginListenAddress, "127.0.0.1");
    EXPECT_EQ(a.pluginListenPort, 4799);
    EXPECT_EQ(a.pluginSendPort, 4798);
}

TEST_F(Endpoints, AnAddressThatIsNotALiteralFailsOnceAndSendsNothing) {
    // A host name in the settings is neither looked up nor replaced by the machines' default address.
    UdpSniffer machine3(offset(base, 3), 4800);
    ASSERT_TRUE(machine3.bound);
    Fun_WriteIni(g_IniPath, "机器地址03", "stand-in.invalid");
    Fun_UnloadFormUdp();
    EXPECT_EQ(Form_UDP().Clients[3]->RemoteHost(), "stand-in.invalid");
    for (int i = 0; i < 3; ++i)
        Fun_SendHalfBlock(3, 1, 0, g_LivePlanes);
    EXPECT_EQ(Form_UDP().Clients[3]->state(), CSocketMaster::sckError);
    ASSERT_EQ(home.dialogs.shown.size(), 1);
    EXPECT_TRUE(home.dialogs.shown[0].text.contains("stand-in.invalid")) << home.dialogs.shown[0].text.toStdString();
    EXPECT_TRUE(machine3.take(0).isEmpty());
    EXPECT_TRUE(commands->take(0).isEmpty());
}

TEST_F(Endpoints, RepliesStayWithinTheReplyBufferWhateverArrives) {
    Fun_SendCommand(0, "8010", ""); // the broadcast endpoint gets its port at the first send
    const quint16 clientPort = quint16(Form_UDP().Client->LocalPort());
    ASSERT_NE(clientPort, 0);
    QUdpSocket peer;
    const QHostAddress to(QStringLiteral("127.0.0.1"));

    g_ReplyLen = 0;
    peer.writeDatagram(QByteArray(), to, clientPort);
    peer.writeDatagram("\x88\x66", 2, to, clientPort);
    Fun_Delay(20);
    EXPECT_EQ(g_ReplyLen, 2);

    QByteArray big(65507, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i);
    peer.writeDatagram(big, to, clientPort);
    Fun_Delay(20);
    EXPECT_EQ(g_ReplyLen, 2001);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(g_ReplyBuf + 2), 1999), big.left(1999));

    // A flood neither overruns the buffer nor starves the program's own events.
    g_ReplyLen = 0;
    bool tick = false;
    QTimer::singleShot(5, [&] { tick = true; });
    for (int i = 0; i < 100000; ++i)
        peer.writeDatagram("garbage!", 8, to, clientPort);
    Fun_Delay(50);
    EXPECT_TRUE(tick);
    EXPECT_EQ(g_ReplyLen, 2001);
}

TEST(SocketMaster, TheReceiveBufferIsWhatTheSystemGave) {
    CSocketMaster unbound;
    EXPECT_EQ(unbound.setReceiveBufferBytes(8192), 0);
    // Sizes below any system's cap: Linux gives what is asked, doubled for its bookkeeping.
    for (const int asked : {8192, 65536}) {
        CSocketMaster s;
        s.setProtocol(CSocketMaster::kProtocolUdp);
        ASSERT_TRUE(s.Bind(0, QStringLiteral("127.0.0.1")));
        const int got = s.setReceiveBufferBytes(asked);
        EXPECT_GE(got, asked) << asked;
        EXPECT_LE(got, 2 * asked) << asked;
        EXPECT_EQ(s.receiveBufferBytes(), got) << asked;
    }
}

TEST_F(Endpoints, ThePlugInsReceiveBufferIsAskedToHoldTheLargestPicture) {
    EXPECT_GE(kq::link::kPluginReceiveBufferBytes, kq::link::kPluginImageBytes + 201 * 46); // 50,000-byte chunks
    // Whatever the system's cap, the plug-in's socket has what a socket asking for the same size gets.
    QUdpSocket same;
    ASSERT_TRUE(same.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    same.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kq::link::kPluginReceiveBufferBytes);
    const int expected = same.socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt();
    ASSERT_EQ(Form_UDP().UDP_get->state(), CSocketMaster::sckOpen);
    EXPECT_EQ(Form_UDP().UDP_get->receiveBufferBytes(), expected);
}

TEST(SocketMaster, PropertiesRefuseValuesOutOfRange) {
    CSocketMaster s;
    EXPECT_THROW(s.setRemotePort(65536), kq::link::SocketException);
    EXPECT_THROW(s.setLocalPort(-1), kq::link::SocketException);
    EXPECT_THROW(s.setProtocol(2), kq::link::SocketException);
    s.setRemotePort(4800);
    EXPECT_EQ(s.RemotePort(), 4800);
    EXPECT_EQ(kq::link::socketErrorText(10048), "Address already in use.");
    EXPECT_EQ(kq::link::socketErrorText(12345), "Unknown error.");
}

} // namespace
