#include "link/link_error.h"

#include "link/exchange.h"
#include "link/reply_lines.h"

#include <QRegularExpression>
#include <QStringList>

namespace vorkel {

AnswerProblem ClassifyAnswer(const QString& answer, const QString& request) {
    AnswerProblem problem;
    // Only the cluster's frames count: another control unit's refusal on a
    // busy bus is not the cluster's. A refusal names the service it refuses:
    // one for another service was left over from an earlier request.
    const int service = RequestService(request);
    const QStringList lines = answer.split(QLatin1Char('\r'));
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const std::optional<NegativeAnswer> refusal = NegativeAnswerOf(lines.at(i));
        if (!refusal || refusal->service != service) continue;
        problem.responseCode = refusal->code;
        bool answerFollows = false;
        for (qsizetype j = i + 1; j < lines.size(); ++j)
            answerFollows = answerFollows || lines.at(j).startsWith(QLatin1String("728 "));
        if (problem.responseCode == 0x78 && !answerFollows) {
            problem.pending = true;
            problem.failure = LinkFailure::PendingNoAnswer;
            return problem;
        }
        problem.failure = LinkFailure::NegativeResponse;
        return problem;
    }
    struct Known {
        const char* text;
        LinkFailure failure;
    };
    static const Known known[] = {
        {"NO DATA", LinkFailure::NoData},
        {"STOPPED", LinkFailure::Stopped},
        {"CAN ERROR", LinkFailure::CanError},
        {"BUFFER FULL", LinkFailure::BufferFull},
        {"UNABLE TO CONNECT", LinkFailure::UnableToConnect},
        {"ERR94", LinkFailure::AdapterReset},
        {"?", LinkFailure::Refused},
    };
    for (const Known& k : known) {
        if (answer.contains(QLatin1String(k.text))) {
            problem.failure = k.failure;
            return problem;
        }
    }
    return problem;
}

namespace {

QString ResponseCodeMeaning(int code) {
    switch (code) {
    case 0x11:
        return QStringLiteral("service not supported");
    case 0x12:
        return QStringLiteral("sub-function not supported");
    case 0x13:
        return QStringLiteral("wrong message length");
    case 0x22:
        return QStringLiteral("conditions not correct");
    case 0x31:
        return QStringLiteral("request out of range");
    case 0x33:
        return QStringLiteral("security access denied");
    case 0x78:
        return QStringLiteral("busy, answer pending");
    default:
        return QStringLiteral("refused");
    }
}

} // namespace

QString LostLinkAdvice(LinkKind link) {
    switch (link) {
    case LinkKind::Wifi:
        return QStringLiteral("Check that this computer is still on the adapter's WiFi network "
                              "and that the adapter has power (the ignition on), then press "
                              "Connect.");
    case LinkKind::Bluetooth:
        return QStringLiteral("Check that the adapter is still in the car's socket with the "
                              "ignition on, and within a few metres of this computer, then press "
                              "Connect.");
    case LinkKind::Serial:
        break;
    }
    return QStringLiteral("Check that the adapter is still plugged in, then press Connect.");
}

FailureWords DescribeFailure(const LinkError& error, const QString& operation, bool clusterAnswered,
                             LinkKind link) {
    FailureWords words;
    const QString what = operation.isEmpty() ? QStringLiteral("Talking to the adapter") : operation;
    switch (error.failure()) {
    case LinkFailure::PortClosed:
        words.text = QStringLiteral("%1 stopped: the port was closed.").arg(what);
        break;
    case LinkFailure::PortLost:
        words.text = QStringLiteral("%1 failed: the connection to the adapter was lost.").arg(what);
        words.advice = LostLinkAdvice(link);
        break;
    case LinkFailure::ConnectTimedOut:
        words.text = QStringLiteral("Unable to Connect To ELM");
        break;
    case LinkFailure::NoAnswer:
        words.text = QStringLiteral("%1 failed: the adapter stopped answering.").arg(what);
        words.advice =
            QStringLiteral("Check the adapter and the ignition, then press Connect again.");
        break;
    case LinkFailure::PendingNoAnswer:
        words.text =
            QStringLiteral("%1 failed: the cluster said it was busy and never answered.").arg(what);
        words.advice = QStringLiteral("Wait a moment and try again.");
        break;
    case LinkFailure::PendingTooLong:
        words.text = QStringLiteral("%1 failed: the cluster kept saying it was busy for %2 s and "
                                    "never answered.")
                         .arg(what)
                         .arg(CurrentLinkLimits().pendingChainMs / 1000.0);
        words.advice = QStringLiteral("Switch the ignition off and on again, wait a moment and "
                                      "try again.");
        break;
    case LinkFailure::EndlessAnswer:
        words.text = QStringLiteral("%1 failed: the adapter kept sending for %2 s without "
                                    "finishing its answer.")
                         .arg(what)
                         .arg(CurrentLinkLimits().endlessAnswerMs / 1000.0);
        words.advice = link != LinkKind::Serial
                           ? QStringLiteral("Restart the adapter (take it out of the car's "
                                            "socket and put it back), then press Connect.")
                           : QStringLiteral("Check the speed chosen in Setup, unplug the "
                                            "adapter and plug it in again, then press "
                                            "Connect.");
        break;
    case LinkFailure::IncompleteList:
        words.text = QStringLiteral("%1: the list arrived incomplete (a frame was missing, damaged "
                                    "or out of order); only the codes read are listed.")
                         .arg(what);
        words.advice = QStringLiteral("Press View DTC to read the list again.");
        break;
    case LinkFailure::DamagedAnswer:
        words.text = QStringLiteral("%1 failed: the cluster's answer arrived damaged.").arg(what);
        words.advice = QStringLiteral("Try again.");
        break;
    case LinkFailure::Refused:
        words.text = QStringLiteral("%1 failed: the adapter did not accept the command.").arg(what);
        words.advice = QStringLiteral("The adapter may not support this command set. Try another "
                                      "ELM327-type adapter.");
        break;
    case LinkFailure::NoData:
        words.text = QStringLiteral("%1 failed: the cluster did not answer (NO DATA).").arg(what);
        words.advice = clusterAnswered
                           ? QStringLiteral("The cluster answered before: check that the "
                                            "ignition is still on, then try again.")
                           : QStringLiteral("Check that the ignition is on and that the car is a "
                                            "BA/BF Falcon or SX/SY Territory.");
        break;
    case LinkFailure::Stopped:
        words.text =
            QStringLiteral("%1 failed: the adapter interrupted the request (STOPPED).").arg(what);
        words.advice = QStringLiteral("Try again.");
        break;
    case LinkFailure::CanError:
        words.text =
            QStringLiteral("%1 failed: the adapter reports a CAN bus error (CAN ERROR).").arg(what);
        words.advice =
            QStringLiteral("Check that the adapter sits firmly in the car's socket and the "
                           "ignition is on.");
        break;
    case LinkFailure::BufferFull:
        words.text =
            QStringLiteral("%1 failed: the adapter's buffer overflowed (BUFFER FULL).").arg(what);
        words.advice = QStringLiteral("Choose a higher speed in Setup if the adapter supports one, "
                                      "and try again.");
        break;
    case LinkFailure::UnableToConnect:
        words.text = QStringLiteral("%1 failed: the adapter found no CAN bus (UNABLE TO CONNECT).")
                         .arg(what);
        words.advice = QStringLiteral("Check that the ignition is on.");
        break;
    case LinkFailure::AdapterReset:
        words.text = QStringLiteral("%1 failed: the adapter reports a fatal CAN bus error "
                                    "(ERR94), a fault of the wiring or of the bus.")
                         .arg(what);
        words.advice = QStringLiteral("Check that the adapter sits firmly in the car's socket, "
                                      "then switch the ignition off and on again (resetting the "
                                      "adapter does not clear this error) and press Connect.");
        break;
    case LinkFailure::NegativeResponse:
        words.text = QStringLiteral("%1 failed: the cluster refused the request (code %2, %3).")
                         .arg(what,
                              QString::number(error.responseCode(), 16)
                                  .toUpper()
                                  .rightJustified(2, QLatin1Char('0')),
                              ResponseCodeMeaning(error.responseCode()));
        words.advice = QStringLiteral("Check that the ignition is on and try again.");
        break;
    case LinkFailure::Unexpected:
        words.text =
            QStringLiteral("%1 failed: the adapter's answer was not understood.").arg(what);
        words.advice =
            QStringLiteral("Try again; if it keeps happening, the adapter may not suit this car.");
        break;
    }
    if (!error.received().isEmpty())
        words.advice +=
            QStringLiteral("%1The adapter sent: %2")
                .arg(words.advice.isEmpty() ? QString() : QStringLiteral("\n"), error.received());
    return words;
}

} // namespace vorkel
