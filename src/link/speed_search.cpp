#include "link/speed_search.h"

#include "common/mscomm.h"
#include "link/exchange.h"
#include "link/link_error.h"

#include <QElapsedTimer>
#include <algorithm>

namespace vorkel {

std::optional<int> FindAdapterSpeed(MSComm& comm, int configured, int totalMs) {
    QElapsedTimer clock;
    clock.start();
    const int tries = static_cast<int>(std::size(StandardSpeeds)) - 1;
    for (const int speed : StandardSpeeds) {
        if (speed == configured) continue;
        const int left = totalMs - static_cast<int>(clock.elapsed());
        if (left <= 0 || !comm.PortOpen() || !comm.ChangeSpeed(speed)) break;
        // Never a lone CR: the adapter would repeat its last command, which may
        // have been a clear. "ATI" only makes it name itself.
        try {
            Exchange exchange(comm);
            exchange.Send(QStringLiteral("ATI"));
            if (exchange.PromptWithin(std::min(left, totalMs / tries))) return speed;
        } catch (const LinkError&) {
            break; // the port closed under the search
        }
    }
    return std::nullopt;
}

QString SpeedSearchAdvice(std::optional<int> found) {
    if (found) {
        if (*found == 9600 || *found == 38400 || *found == 115200)
            return QStringLiteral("The adapter answers at %1 baud: choose %1 in Setup.")
                .arg(*found);
        return QStringLiteral("The adapter answers at %1 baud, which Setup does not offer: write "
                              "ComSpeed=%1 into VORKEL.INI.")
            .arg(*found);
    }
    return QStringLiteral("Nothing answered at 9600, 38400, 19200, 57600 or 115200 baud: check "
                          "the cable, the ignition and the port.");
}

} // namespace vorkel
