#include "link/speed_search.h"

#include "common/mscomm.h"
#include "common/pause.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace vorkel {
namespace {

// What the adapter says after "ATI" ends with its prompt after a line end;
// noise at a wrong speed is most unlikely to.
bool Answered(MSComm& comm, int limitMs) {
    QTimer wake; // the event loop must come back to check the limit
    wake.start(std::clamp(limitMs / 4, 5, 100));
    QElapsedTimer clock;
    clock.start();
    QString gathered;
    while (clock.elapsed() < limitMs && comm.PortOpen()) {
        YieldToEventLoop(comm.InBufferCount() == 0);
        const QString c = comm.Input();
        if (c == QLatin1String("\n")) continue;
        gathered += c;
        if (gathered.endsWith(QLatin1String("\r>"))) return true;
        if (gathered.size() > 512) gathered.remove(0, 256);
    }
    return false;
}

} // namespace

std::optional<int> FindAdapterSpeed(MSComm& comm, int configured, int totalMs) {
    QElapsedTimer clock;
    clock.start();
    const int tries = static_cast<int>(std::size(StandardSpeeds)) - 1;
    for (const int speed : StandardSpeeds) {
        if (speed == configured) continue;
        const int left = totalMs - static_cast<int>(clock.elapsed());
        if (left <= 0 || !comm.PortOpen() || !comm.ChangeSpeed(speed)) break;
        comm.DiscardInput();
        // Never a lone CR: the adapter would repeat its last command, which may
        // have been a clear. "ATI" only makes it name itself.
        comm.Output("ATI\r");
        if (Answered(comm, std::min(left, totalMs / tries))) return speed;
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
