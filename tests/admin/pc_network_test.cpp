// The PC's adapter set up through a stand-in for NetworkManager's client that records its arguments:
// no real adapter is ever touched.
#include "admin/network_menu.h"
#include "admin/pc_network.h"
#include "core/common_functions.h"
#include "support/fakes.h"
#include "support/widgets.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace kq::admin;
using kq::test::child;

// Pumps events until `done` holds; false when it still does not after about ten seconds.
bool waitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        Fun_Delay(10);
    return done();
}

struct Result {
    bool succeeded = false;
    QString status;
};

// Waits for the change to finish, pumping events as the window does.
Result finished(AdapterChange* started) {
    const std::unique_ptr<AdapterChange> change(started);
    std::optional<Result> result;
    QObject::connect(change.get(), &AdapterChange::finished, change.get(), [&](bool succeeded, const QString& status) {
        result = Result{succeeded, status};
    });
    if (!waitUntil([&] { return result.has_value(); })) ADD_FAILURE() << "the change never finished";
    return result.value_or(Result{});
}

QString status(AdapterChange* change) {
    return finished(change).status;
}

class PcNetwork : public testing::Test {
protected:
    void SetUp() override {
        qputenv("KQ510_NMCLI", QByteArray(KQ510_NMCLI_STAND_IN));
        qputenv("KQ510_NMCLI_LOG", QFile::encodeName(home.path("nmcli.log")));
        qunsetenv("KQ510_NMCLI_FAIL");
        qunsetenv("KQ510_NMCLI_METHOD");
        qunsetenv("KQ510_NMCLI_HOLD");
    }
    void TearDown() override { qunsetenv("KQ510_NMCLI"); }
    QStringList logged() {
        QFile f(home.path("nmcli.log"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // The calls since the last time asked.
    QStringList calls() {
        const QStringList lines = logged();
        QFile::remove(home.path("nmcli.log"));
        return lines;
    }
    // The texts shown, once there are `count` of them.
    QStringList shown(qsizetype count) {
        const auto& all = home.dialogs.shown;
        EXPECT_TRUE(waitUntil([&] { return all.size() >= count; })) << "shown: " << all.size();
        QStringList texts;
        for (const auto& s : all)
            texts << s.text;
        return texts;
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
    EXPECT_EQ(status(ChangeIP("eth0", "192.168.1.18", "255.255.255.0", "", "", "")), QStringLiteral("设置成功"));
    EXPECT_EQ(calls(), (QStringList{
                           "-t|-g|GENERAL.CONNECTION|device|show|eth0",
                           "connection|modify|Wired connection 1|ipv4.method|manual|ipv4.addresses|192.168.1.18/24",
                           "connection|modify|Wired connection 1|ipv4.gateway|",
                           "connection|modify|Wired connection 1|ipv4.dns|",
                           "connection|up|Wired connection 1",
                       }));
    qputenv("KQ510_NMCLI_FAIL", "ipv4.gateway");
    EXPECT_EQ(status(ChangeIP("eth0", "192.168.1.18", "255.255.255.0", "192.168.1.1", "8.8.8.8", "")),
              QStringLiteral("IP地址和子网掩码设置成功, 默认网关设置失败, DNS设置成功：“Error: failed.”"));
    EXPECT_TRUE(calls().contains("connection|modify|Wired connection 1|ipv4.dns|8.8.8.8"));
    EXPECT_EQ(status(ChangeIP("eth0", "192.168.1.18", "255.0.255.0", "", "", "")),
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
        {false, "eth0", "connection up", QStringLiteral("设置失败：") + activation + kProfileChangedNote},
        {false, "eth0", "GENERAL.CONNECTION", QStringLiteral("设置失败：“Error: failed.”")},
        {false, "wlan0", "", QStringLiteral("设置失败：网卡 wlan0 没有连接配置")},
        {true, "eth0", "connection up", QStringLiteral("自动获取IP设置失败：") + activation},
        {true, "eth0", "ipv4.method auto", QStringLiteral("自动获取IP设置失败：“Error: failed.”")},
        {true, "eth0", "-g ipv4.method", QStringLiteral("自动获取IP设置失败：“Error: failed.”")},
    };
    for (const auto& c : cases) {
        qputenv("KQ510_NMCLI_FAIL", c.fail);
        const Result r = finished(c.automatic ? SetAutoIPadd(c.device)
                                              : ChangeIP(c.device, "192.168.1.18", "255.255.255.0", "", "", ""));
        EXPECT_FALSE(r.succeeded) << c.fail;
        EXPECT_EQ(r.status, c.status) << c.fail;
    }
}

TEST_F(PcNetwork, AutomaticAddressingAndTheMenu) {
    qputenv("KQ510_NMCLI_METHOD", "auto");
    Result r = finished(SetAutoIPadd("eth0"));
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(r.status, QStringLiteral("DHCP已经开启"));
    EXPECT_EQ(calls().filter("modify").size(), 0);
    qputenv("KQ510_NMCLI_METHOD", "manual");
    r = finished(SetAutoIPadd("eth0"));
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(r.status, QString());
    const QStringList c = calls();
    EXPECT_TRUE(
        c.contains("connection|modify|Wired connection 1|ipv4.method|auto|ipv4.addresses||ipv4.gateway||ipv4.dns|"))
        << c.join('\n').toStdString();
    EXPECT_EQ(c.last(), "connection|up|Wired connection 1");

    QMenuBar bar;
    NetworkMenu menu(&bar);
    menu.connectMachinesNetwork();
    EXPECT_EQ(menu.adapter(), "eth0");
    shown(1);
    EXPECT_TRUE(menu.connected());
    menu.connectMachinesNetwork();
    menu.disconnectMachinesNetwork();
    EXPECT_EQ(shown(3), (QStringList{QStringLiteral("设置成功"), QStringLiteral("已连接"), QStringLiteral("已断开")}));
    EXPECT_FALSE(menu.connected());
    EXPECT_TRUE(calls().filter("wlan0").isEmpty()); // the other adapter is never changed
}

TEST_F(PcNetwork, TheConnectedStateFollowsOnlyWhatTook) {
    const QString activation = QStringLiteral("“Error: Connection activation failed: IP configuration could not be "
                                              "reserved (no available address, timeout, etc.).”");
    qputenv("KQ510_NMCLI_FAIL", "connection up");
    QMenuBar bar;
    NetworkMenu menu(&bar);
    menu.connectMachinesNetwork();
    EXPECT_EQ(shown(1), QStringList{QStringLiteral("设置失败：") + activation + kProfileChangedNote});
    EXPECT_FALSE(menu.connected());
    calls();
    qunsetenv("KQ510_NMCLI_FAIL");
    menu.connectMachinesNetwork();
    EXPECT_EQ(shown(2).last(), QStringLiteral("设置成功"));
    EXPECT_TRUE(calls().contains("connection|up|Wired connection 1")); // tried, not taken as done
    EXPECT_TRUE(menu.connected());
    // A disconnect that fails says so, and never 已断开.
    qputenv("KQ510_NMCLI_FAIL", "connection up");
    menu.disconnectMachinesNetwork();
    EXPECT_EQ(shown(3), (QStringList{QStringLiteral("设置失败：") + activation + kProfileChangedNote,
                                     QStringLiteral("设置成功"), QStringLiteral("自动获取IP设置失败：") + activation}));
    EXPECT_FALSE(menu.connected());
}

TEST_F(PcNetwork, AListingThatFailsKeepsThePickedAdapterAndIsSaid) {
    QMenuBar bar;
    NetworkMenu menu(&bar);
    menu.connectMachinesNetwork();
    EXPECT_EQ(shown(1), QStringList{QStringLiteral("设置成功")});
    // The listing fails once as the menu opens: the adapter that holds the address is still the one.
    qputenv("KQ510_NMCLI_FAIL", "DEVICE,TYPE,STATE");
    emit child<QMenu>(bar, "CD网络").aboutToShow();
    EXPECT_EQ(menu.adapter(), "eth0");
    qunsetenv("KQ510_NMCLI_FAIL");
    menu.disconnectMachinesNetwork();
    EXPECT_EQ(shown(2).last(), QStringLiteral("已断开"));
    EXPECT_TRUE(calls().contains("connection|up|Wired connection 1"));

    // With no adapter known and the listing failing, both entries say why, and nothing is disconnected.
    qputenv("KQ510_NMCLI_FAIL", "DEVICE,TYPE,STATE");
    NetworkMenu fresh(&bar);
    fresh.connectMachinesNetwork();
    fresh.disconnectMachinesNetwork();
    EXPECT_EQ(shown(4).mid(2), (QStringList{QStringLiteral("无法读取网卡列表：“Error: failed.”"),
                                            QStringLiteral("无法读取网卡列表：“Error: failed.”")}));
    qunsetenv("KQ510_NMCLI_FAIL");
}

TEST_F(PcNetwork, TheWindowStaysUsableWhileTheAdapterChanges) {
    // The activation waits until the test lets it go, as one waiting for an address does.
    const QString release = home.path("release");
    qputenv("KQ510_NMCLI_HOLD", QFile::encodeName(release));
    QMenuBar bar;
    NetworkMenu menu(&bar);
    auto& networkMenu = child<QMenu>(bar, "CD网络");
    auto& connectAction = child<QAction>(bar, "CD连接");
    auto& disconnectAction = child<QAction>(bar, "CD断开");
    QAction* adapters = child<QMenu>(bar, "CD网卡").menuAction();

    connectAction.trigger();
    EXPECT_TRUE(waitUntil([&] { return logged().contains("connection|up|Wired connection 1"); }));
    EXPECT_TRUE(home.dialogs.shown.isEmpty());
    EXPECT_TRUE(menu.busy());
    EXPECT_EQ(networkMenu.title(), QStringLiteral("网络（正在设置网卡…）"));
    for (const QAction* action : {&connectAction, &disconnectAction, adapters})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    bool ticked = false;
    QTimer::singleShot(0, &bar, [&] { ticked = true; });
    EXPECT_TRUE(waitUntil([&] { return ticked; })); // the event loop runs meanwhile
    // A second request meanwhile changes nothing: a disabled entry does nothing, a call says it is busy.
    disconnectAction.trigger();
    menu.disconnectMachinesNetwork();
    networkMenu.aboutToShow(); // opening the menu leaves the adapters as they are
    EXPECT_EQ(shown(1), QStringList{QStringLiteral("正在设置网卡，请稍候")});
    EXPECT_EQ(logged().filter("DEVICE,TYPE,STATE").size(), 1);
    EXPECT_TRUE(menu.busy());

    QFile go(release);
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();
    EXPECT_EQ(shown(2).last(), QStringLiteral("设置成功"));
    EXPECT_FALSE(menu.busy());
    EXPECT_TRUE(menu.connected());
    EXPECT_EQ(networkMenu.title(), QStringLiteral("网络"));
    for (const QAction* action : {&connectAction, &disconnectAction, adapters})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(calls().filter("ipv4.method|auto").isEmpty()); // the request made meanwhile never ran
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
        const QList<QAction*> lines = child<QMenu>(bar, "CD网卡").actions();
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
    EXPECT_EQ(status(ChangeIP("eth0", "192.168.1.18", "255.255.255.0", "", "", "")),
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
