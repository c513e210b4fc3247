#include "link/speed_search.h"

#include "common/mscomm.h"
#include "common/pause.h"
#include "common/shared_state.h"
#include "common/wait_steps.h"
#include "link/exchange.h"
#include "link/link_error.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace vorkel {
namespace {

// Never a lone CR: the adapter would repeat its last command, which may have
// been a clear. "ATI" only makes it name itself.
bool AnswersAt(MSComm& comm, int speed, int limitMs, bool& likeModem) {
    if (limitMs <= 0 || !comm.PortOpen() || !comm.ChangeSpeed(speed)) return false;
    Exchange exchange(comm);
    exchange.Send(QStringLiteral("ATI"));
    if (exchange.PromptWithin(limitMs)) return true;
    static const QRegularExpression modemWords(QStringLiteral("(^|[\r\n])(OK|ERROR)[\r\n]"));
    likeModem = likeModem || modemWords.match(exchange.Heard()).hasMatch();
    return false;
}

} // namespace

SpeedSearch FindAdapterSpeed(MSComm& comm, int configured, int fullMs) {
    const int totalMs = Scaled(fullMs);
    TellWaiting(QLatin1String(StepTryingSpeeds), totalMs);
    SpeedSearch search;
    search.configured = configured;
    std::vector<int> others;
    for (const int speed : StandardSpeeds) {
        if (speed != configured) others.push_back(speed);
    }
    // One share for each other speed and one for asking again at the configured one.
    const int share = totalMs / static_cast<int>(others.size() + 1);
    QElapsedTimer clock;
    clock.start();
    try {
        for (const int speed : others) {
            if (!comm.PortOpen()) break;
            search.tried.push_back(speed);
            if (AnswersAt(comm, speed, share, search.answersLikeModem)) {
                search.found = speed;
                break;
            }
        }
        if (search.found)
            search.answersAtConfigured = AnswersAt(
                comm, configured, std::min(share, totalMs - static_cast<int>(clock.elapsed())),
                search.answersLikeModem);
    } catch (const LinkError&) {
        // The port closed under the search: the caller tells the user.
    }
    if (comm.PortOpen()) comm.ChangeSpeed(configured);
    return search;
}

bool SetupListsSpeed(int speed) {
    return std::find(std::begin(SetupSpeeds), std::end(SetupSpeeds), speed) !=
           std::end(SetupSpeeds);
}

std::optional<int> SpeedToOffer(const SpeedSearch& search) {
    if (!search.found || search.answersAtConfigured) return std::nullopt;
    return search.found;
}

QString UseSpeedCaption(int speed) {
    return QStringLiteral("Use %1 baud").arg(speed);
}

QString NetworkResetAdvice(const QString& adapter) {
    return QStringLiteral("The %1 took the connection but did not answer its reset: switch the "
                          "ignition on, wait a moment and try again.")
        .arg(adapter);
}

QString SpeedSearchAdvice(const SpeedSearch& search) {
    if (search.found && search.answersAtConfigured)
        return QStringLiteral("The adapter answers at %1 baud, but its reset took longer than "
                              "%2 s: unplug the adapter and plug it in again (a Bluetooth or WiFi "
                              "adapter: wait until it is paired), then press Connect.")
            .arg(search.configured)
            .arg(ConnectionTimeoutMs / 1000);
    if (search.found) {
        const int found = *search.found;
        if (SetupListsSpeed(found))
            return QStringLiteral("The adapter answers at %1 baud: choose %1 in Setup.").arg(found);
        return QStringLiteral("The adapter answers at %1 baud, which Setup does not list: press "
                              "\"%2\" to save it.")
            .arg(found)
            .arg(UseSpeedCaption(found));
    }
    if (search.answersLikeModem)
        return QStringLiteral("The device at this port is not an ELM327-type adapter (it answers "
                              "like a modem): choose the adapter's port in Setup.");
    std::vector<int> speeds = search.tried;
    speeds.push_back(search.configured);
    std::sort(speeds.begin(), speeds.end());
    QStringList names;
    for (const int speed : speeds)
        names << QString::number(speed);
    const QString last = names.takeLast();
    const QString all =
        names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return QStringLiteral("Nothing answered at %1 baud: check the cable, the ignition and the "
                          "port.")
        .arg(all);
}

} // namespace vorkel
