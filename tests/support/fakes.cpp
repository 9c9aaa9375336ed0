#include "fakes.h"

#include "core/shared_state.h"
#include "link/link_settings.h"
#include "link/transport.h"
#include "link/udp_host.h"

#include <QCoreApplication>

namespace kq::test {

TempHome::TempHome() {
    Fun_SetAppFolder(dir.path());
    Fun_ResetSharedState();
    setDialogs(&dialogs);
}

QString TempHome::useLoopbackMachines() {
    const qint64 pid = QCoreApplication::applicationPid();
    const QString base = QStringLiteral("127.%1.%2.200").arg(1 + pid % 250).arg((pid / 250) % 256);
    link::writeLoopbackAddresses(g_IniPath, base);
    return base;
}

TempHome::~TempHome() {
    Fun_UnloadFormUdp();
    g_ReplyLen = 0;
    setDialogs(nullptr);
    Fun_ResetSharedState();
}

} // namespace kq::test
