#pragma once

#include <QString>
#include <QStringList>

namespace kq::link {

// `kq510 send --machine N CODE [HEXDATA] [--wait MS]`: sends one command frame through the broadcast
// endpoint and prints the frame and every reply in hex. Needs a QCoreApplication and the application
// folder set. Returns the process exit status: 0 sent, 1 not sent, 2 bad arguments.
int runSendCommand(const QStringList& args);

// The usage text, in the interface's language.
QString sendUsage();

} // namespace kq::link
