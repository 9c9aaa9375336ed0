#pragma once

#include <QStringList>

namespace kq::link {

// `kq510 send --machine N CODE [HEXDATA] [--wait MS]`: sends one command frame through the broadcast
// endpoint and prints the frame and every reply in hex. Needs a QCoreApplication and the application
// folder set. Returns the process exit status: 0 sent, 1 not sent, 2 bad arguments.
int runSendCommand(const QStringList& args);

inline constexpr char kSendUsage[] = "usage: kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]\n"
                                     "  N       machine number 0..255 (0 = all machines)\n"
                                     "  CODE    four hex digits, e.g. 8010\n"
                                     "  HEXDATA payload bytes in hex, pairs may be separated by blanks\n"
                                     "  MS      how long to collect replies (default 500)\n";

} // namespace kq::link
