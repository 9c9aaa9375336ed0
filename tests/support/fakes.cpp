#include "fakes.h"

#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/link_settings.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "standin/stand_in_machines.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

namespace kq::test {

TempHome::TempHome() {
    Fun_SetAppFolder(dir.path());
    Fun_ResetSharedState();
    setDialogs(&dialogs);
}

namespace {
// Loopback addresses of this test process's own: tests run side by side never bind the same.
QString ownLoopbackBase() {
    const qint64 pid = QCoreApplication::applicationPid();
    return QStringLiteral("127.%1.%2.200").arg(1 + pid % 250).arg((pid / 250) % 256);
}
} // namespace

QString TempHome::useLoopbackMachines() {
    const QString base = ownLoopbackBase();
    link::writeLoopbackAddresses(g_IniPath, base);
    return base;
}

void TempHome::usePrivatePluginListener() {
    // As writeLoopbackAddresses places it: base - 199.
    if (Fun_ReadIni(g_IniPath, link::kKeyPluginListenAddress).isEmpty())
        Fun_WriteIni(g_IniPath, link::kKeyPluginListenAddress,
                     QHostAddress(QHostAddress(ownLoopbackBase()).toIPv4Address() - 199).toString());
}

std::unique_ptr<standin::StandInMachines> TempHome::startMachines(QList<int> numbers,
                                                                  std::map<uint16_t, QList<int>> drops,
                                                                  std::map<int, standin::OpenLayout> controllers) {
    const QString base = useLoopbackMachines();
    standin::Options o;
    o.machines = std::move(numbers);
    o.base = QHostAddress(base);
    o.broadcast = QHostAddress(QHostAddress(base).toIPv4Address() + 55);
    o.stateDir = path(QStringLiteral("machines"));
    o.drops = std::move(drops);
    o.controllers = std::move(controllers);
    auto machines = std::make_unique<standin::StandInMachines>(o);
    if (!machines->start()) {
        ADD_FAILURE() << "stand-in machines: " << machines->error().toStdString();
        return nullptr;
    }
    return machines;
}

TempHome::~TempHome() {
    Fun_UnloadFormUdp();
    g_ReplyLen = 0;
    setDialogs(nullptr);
    Fun_ResetSharedState();
}

NoReadAccess::NoReadAccess(const QString& folder, const QString& file)
    : folder_(folder), file_(file), root_(geteuid() == 0) {
    QFile::setPermissions(folder_, QFileDevice::Permissions(0x7777));
    QFile::setPermissions(file_, QFileDevice::Permissions());
    if (root_) setfsuid(65534);
}

NoReadAccess::~NoReadAccess() {
    if (root_) setfsuid(0);
    QFile::setPermissions(file_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace kq::test
