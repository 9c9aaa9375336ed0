// The PC's adapter set up through a stand-in for NetworkManager's client that records its arguments:
// no real adapter is ever touched.
#include "admin/network_menu.h"
#include "admin/pc_network.h"
#include "support/fakes.h"
#include "support/widgets.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

using namespace kq::admin;

class PcNetwork : public testing::Test {
protected:
    void SetUp() override {
        qputenv("KQ510_NMCLI", QByteArray(KQ510_NMCLI_STAND_IN));
        qputenv("KQ510_NMCLI_LOG", QFile::encodeName(home.path("nmcli.log")));
        qunsetenv("KQ510_NMCLI_FAIL");
        qunsetenv("KQ510_NMCLI_METHOD");
    }
    void TearDown() override { qunsetenv("KQ510_NMCLI"); }
    QStringList calls() {
        QFile f(home.path("nmcli.log"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        QFile::remove(home.path("nmcli.log"));
        return lines;
    }
    kq::test::TempHome home;
};

TEST(PcNetworkMasks, PrefixLengths) {
    const struct {
        const char* mask;
        std::optional<int> prefix;
    } cases[] = {{"255.255.255.0", 24},         {"255.255.0.0", 16},           {"255.255.255.252", 30}, {"0.0.0.0", 0},
                 {"255.0.255.0", std::nullopt}, {"255.255.255", std::nullopt}, {"abc", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(prefixLength(c.mask), c.prefix) << c.mask;
}

TEST_F(PcNetwork, AdaptersAndTheDefaultOne) {
    QString why;
    const auto adapters = managedAdapters(&why);
    ASSERT_TRUE(adapters) << why.toStdString();
    ASSERT_EQ(adapters->size(), 2); // loopback is not offered
    EXPECT_EQ(adapters->at(0).device, "eth0");
    EXPECT_EQ(adapters->at(1).type, "wifi");
    EXPECT_EQ(defaultAdapter(*adapters), "eth0");
    EXPECT_EQ(defaultAdapter({{"eth0", "ethernet", "connected"}, {"eth1", "ethernet", "connected"}}), "");
}

TEST_F(PcNetwork, ChangeIpSetsOnlyThePickedAdapterAndReportsEachPart) {
    EXPECT_EQ(ChangeIP("eth0", "192.168.1.18", "255.255.255.0", "", "", ""), QStringLiteral("设置成功"));
    EXPECT_EQ(calls(), (QStringList{
                           "-t|-g|GENERAL.CONNECTION|device|show|eth0",
                           "connection|modify|Wired connection 1|ipv4.method|manual|ipv4.addresses|192.168.1.18/24",
                           "connection|modify|Wired connection 1|ipv4.gateway|",
                           "connection|modify|Wired connection 1|ipv4.dns|",
                           "connection|up|Wired connection 1",
                       }));
    qputenv("KQ510_NMCLI_FAIL", "ipv4.gateway");
    EXPECT_EQ(ChangeIP("eth0", "192.168.1.18", "255.255.255.0", "192.168.1.1", "8.8.8.8", ""),
              QStringLiteral("IP地址和子网掩码设置成功, 默认网关设置失败, DNS设置成功：“Error: failed.”"));
    EXPECT_TRUE(calls().contains("connection|modify|Wired connection 1|ipv4.dns|8.8.8.8"));
    EXPECT_EQ(ChangeIP("eth0", "192.168.1.18", "255.0.255.0", "", "", ""),
              QStringLiteral("IP地址或子网掩码设置失败, 默认网关设置失败, DNS设置成功：子网掩码“255.0.255.0”无效"));
}

TEST_F(PcNetwork, EveryStepIsCheckedAndFailuresQuoteNmcli) {
    const QString activation = QStringLiteral("“Error: Connection activation failed: IP configuration could not be "
                                              "reserved (no available address, timeout, etc.).”");
    const struct {
        bool automatic; // SetAutoIPadd, else ChangeIP
        const char* device;
        const char* fail;
        QString status;
    } cases[] = {
        {false, "eth0", "connection up", QStringLiteral("设置失败：") + activation},
        {false, "eth0", "GENERAL.CONNECTION", QStringLiteral("设置失败：“Error: failed.”")},
        {false, "wlan0", "", QStringLiteral("设置失败：网卡 wlan0 没有连接配置")},
        {true, "eth0", "connection up", QStringLiteral("自动获取IP设置失败：") + activation},
        {true, "eth0", "ipv4.method auto", QStringLiteral("自动获取IP设置失败：“Error: failed.”")},
        {true, "eth0", "-g ipv4.method", QStringLiteral("自动获取IP设置失败：“Error: failed.”")},
    };
    for (const auto& c : cases) {
        qputenv("KQ510_NMCLI_FAIL", c.fail);
        EXPECT_EQ(c.automatic ? SetAutoIPadd(c.device)
                              : ChangeIP(c.device, "192.168.1.18", "255.255.255.0", "", "", ""),
                  c.status)
            << c.fail;
    }
}

TEST_F(PcNetwork, AutomaticAddressingAndTheMenu) {
    qputenv("KQ510_NMCLI_METHOD", "auto");
    EXPECT_EQ(SetAutoIPadd("eth0"), QStringLiteral("DHCP已经开启"));
    EXPECT_EQ(calls().filter("modify").size(), 0);
    qputenv("KQ510_NMCLI_METHOD", "manual");
    EXPECT_EQ(SetAutoIPadd("eth0"), QString());
    const QStringList c = calls();
    EXPECT_TRUE(
        c.contains("connection|modify|Wired connection 1|ipv4.method|auto|ipv4.addresses||ipv4.gateway||ipv4.dns|"))
        << c.join('\n').toStdString();
    EXPECT_EQ(c.last(), "connection|up|Wired connection 1");

    QMenuBar bar;
    NetworkMenu menu(&bar);
    menu.connectMachinesNetwork();
    EXPECT_EQ(menu.adapter(), "eth0");
    EXPECT_TRUE(menu.connected());
    menu.connectMachinesNetwork();
    menu.disconnectMachinesNetwork();
    EXPECT_FALSE(menu.connected());
    QStringList shown;
    for (const auto& s : home.dialogs.shown)
        shown << s.text;
    EXPECT_EQ(shown, (QStringList{QStringLiteral("设置成功"), QStringLiteral("已连接"), QStringLiteral("已断开")}));
    EXPECT_TRUE(calls().filter("wlan0").isEmpty()); // the other adapter is never changed
}

TEST_F(PcNetwork, AFailedConnectionIsTriedAgain) {
    qputenv("KQ510_NMCLI_FAIL", "connection up");
    QMenuBar bar;
    NetworkMenu menu(&bar);
    menu.connectMachinesNetwork();
    EXPECT_FALSE(menu.connected());
    calls();
    qunsetenv("KQ510_NMCLI_FAIL");
    menu.connectMachinesNetwork();
    EXPECT_TRUE(calls().contains("connection|up|Wired connection 1")); // tried, not taken as done
    EXPECT_TRUE(menu.connected());
    QStringList shown;
    for (const auto& s : home.dialogs.shown)
        shown << s.text;
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("设置失败：“Error: Connection activation failed")))
        << shown[0].toStdString();
    EXPECT_EQ(shown[1], QStringLiteral("设置成功"));
}

TEST_F(PcNetwork, WithoutAdaptersTheMenuSaysWhyInChinese) {
    const struct {
        const char* nmcli; // nullptr: none named
        const char* fail;
        QString why;
        bool whole; // else Qt's own words follow
    } cases[] = {
        {nullptr, "", QStringLiteral("测试模式（KQ510_LOOPBACK_ONLY=1）下不会更改电脑的网卡"), true},
        {KQ510_NMCLI_STAND_IN, "DEVICE,TYPE,STATE", QStringLiteral("无法读取网卡列表：“Error: failed.”"), true},
        {"/nonexistent/nmcli", "", QStringLiteral("无法运行 nmcli：“"), false},
    };
    qputenv("KQ510_LOOPBACK_ONLY", "1");
    for (const auto& c : cases) {
        if (c.nmcli)
            qputenv("KQ510_NMCLI", c.nmcli);
        else
            qunsetenv("KQ510_NMCLI");
        qputenv("KQ510_NMCLI_FAIL", c.fail);
        QString why;
        EXPECT_FALSE(managedAdapters(&why));
        EXPECT_EQ(c.whole ? why : why.left(c.why.size()), c.why);
        QMenuBar bar;
        NetworkMenu menu(&bar);
        menu.refreshAdapters();
        const QList<QAction*> lines = kq::test::child<QMenu>(bar, "CD网卡").actions();
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0]->text(), why);
        EXPECT_FALSE(lines[0]->isEnabled());
    }
}

TEST_F(PcNetwork, WithoutAStandInNothingIsRunOnADevelopmentMachine) {
    qunsetenv("KQ510_NMCLI");
    qputenv("KQ510_LOOPBACK_ONLY", "1");
    QString why;
    EXPECT_FALSE(managedAdapters(&why));
    EXPECT_TRUE(why.contains("KQ510_LOOPBACK_ONLY")) << why.toStdString();
    EXPECT_EQ(ChangeIP("eth0", "192.168.1.18", "255.255.255.0", "", "", ""),
              QStringLiteral("设置失败：测试模式（KQ510_LOOPBACK_ONLY=1）下不会更改电脑的网卡"));
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(PcNetwork, DnsServersFromTheResolverConfiguration) {
    QFile f(home.path("resolv.conf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# generated\nsearch lan\nnameserver 192.168.1.1\nnameserver  8.8.4.4 \noptions edns0\n");
    f.close();
    QString first;
    QStringList all;
    EXPECT_EQ(dnsServers(first, all, home.path("resolv.conf")), 2);
    EXPECT_EQ(first, "192.168.1.1");
    EXPECT_EQ(all, (QStringList{"192.168.1.1", "8.8.4.4"}));
    EXPECT_EQ(dnsServers(first, all, home.path("none")), 0);
}

} // namespace
