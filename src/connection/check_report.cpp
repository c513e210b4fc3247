#include "connection/check_report.h"

#include "cluster/cluster_functions.h"
#include "connection/adapter_connection.h"

#include <QRegularExpression>
#include <QStringList>

namespace vorkel {
namespace {

// What a set-up command is for, in words: why refusing it matters.
QString WhatItDoes(const QString& command) {
    const QString upper = command.toUpper();
    if (upper == QLatin1String("ATSH720")) return QStringLiteral("it cannot address the cluster");
    if (upper == QLatin1String("ATCAF1"))
        return QStringLiteral("it cannot format the cluster's CAN answers");
    if (upper == QLatin1String("ATSPA6"))
        return QStringLiteral("it cannot choose the car's CAN bus (11 bit, 500 kbaud)");
    if (upper == QLatin1String("ATH1")) return QStringLiteral("it cannot show who answers");
    return QStringLiteral("it lacks part of the ELM327 command set");
}

bool IsSetUpCommand(const QString& command) {
    for (const char* setup : SetUpCommands) {
        if (command == QLatin1String(setup)) return true;
    }
    return false;
}

QStringList Lines(const QString& answer) {
    QString text = answer;
    text.remove(QLatin1Char('>'));
    return text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
}

} // namespace

CheckOutcome ClassifyCheckAnswer(const QString& command, const QString& answer) {
    if (!answer.contains(QLatin1Char('>'))) return CheckOutcome::NoAnswer;
    const QStringList lines = Lines(answer);
    if (lines.contains(QStringLiteral("?"))) return CheckOutcome::Refused;
    const QString lower = command.toLower();
    if (!lower.startsWith(QLatin1String("at"))) {
        // A request: its own positive answer, or nobody answered it.
        const QString wanted = lower == QLatin1String(FirstIdentificationRequest)
                                   ? QLatin1String(FirstIdentificationAnswer)
                                   : QStringLiteral("%1 %2 ")
                                         .arg(lower.left(2).toInt(nullptr, 16) + 0x40, 2, 16)
                                         .arg(lower.mid(2, 2))
                                         .toUpper();
        if ((answer + QLatin1Char(' ')).contains(wanted)) return CheckOutcome::Ok;
        return answer.contains(QLatin1String("NO DATA")) ? CheckOutcome::NoAnswer
                                                         : CheckOutcome::Unexpected;
    }
    if (lower == QLatin1String("atrv"))
        return VoltsOfAnswer(answer) ? CheckOutcome::Ok : CheckOutcome::Unexpected;
    if (IsSetUpCommand(lower))
        return lines.contains(QStringLiteral("OK")) ? CheckOutcome::Ok : CheckOutcome::Unexpected;
    return lines.isEmpty() ? CheckOutcome::Unexpected : CheckOutcome::Ok;
}

QString VisibleAnswer(const QString& answer, int maxChars) {
    QString shown;
    for (const QChar c : answer) {
        if (c == QLatin1Char('\r'))
            shown += QStringLiteral("\\r");
        else if (c == QLatin1Char('\n'))
            shown += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (shown.size() > maxChars) shown = shown.left(maxChars - 3) + QStringLiteral("...");
    return shown;
}

std::optional<double> VoltsOfAnswer(const QString& answer) {
    static const QRegularExpression volts(QStringLiteral("(?:^|[\r\n])(\\d{1,2}\\.\\d)V[\r\n]"));
    const QRegularExpressionMatch m = volts.match(answer);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toDouble();
}

QString VoltageText(double volts) {
    const QString word = volts < 12.0   ? QStringLiteral(" (low)")
                         : volts > 13.2 ? QStringLiteral(" (charging)")
                                        : QString();
    return QStringLiteral("%1 V%2").arg(volts, 0, 'f', 1).arg(word);
}

QString StepAnswerText(const CheckStep& step, int maxChars) {
    QString answer = VisibleAnswer(step.answer, maxChars);
    if (step.command.compare(QLatin1String("atrv"), Qt::CaseInsensitive) == 0) {
        if (const std::optional<double> volts = VoltsOfAnswer(step.answer))
            answer += QStringLiteral(" = ") + VoltageText(*volts);
    }
    return answer;
}

QString OutcomeText(CheckOutcome outcome) {
    switch (outcome) {
    case CheckOutcome::Ok:
        return QStringLiteral("OK");
    case CheckOutcome::Refused:
        return QStringLiteral("refused");
    case CheckOutcome::NoAnswer:
        return QStringLiteral("no answer");
    case CheckOutcome::Unexpected:
        break;
    }
    return QStringLiteral("unexpected");
}

QString CheckVerdict(const CheckResult& result) {
    QString verdict;
    const CheckStep* reset = result.steps.isEmpty() ? nullptr : &result.steps.first();
    const CheckStep* cluster = nullptr;
    const CheckStep* setupFailed = nullptr;
    for (const CheckStep& step : result.steps) {
        if (step.command == QLatin1String(FirstIdentificationRequest)) cluster = &step;
        if (!setupFailed && IsSetUpCommand(step.command) && step.outcome != CheckOutcome::Ok)
            setupFailed = &step;
    }
    if (!result.notOpened.isEmpty()) {
        verdict = QStringLiteral("%1 could not be opened: %2.").arg(result.where, result.notOpened);
    } else if (result.cancelled) {
        verdict = QStringLiteral("The check was cancelled.");
    } else if (result.lost) {
        verdict = QStringLiteral("The connection to the adapter was lost during the check: plug "
                                 "it back in and check again.");
    } else if (!reset || reset->outcome != CheckOutcome::Ok) {
        if (result.network)
            verdict = QStringLiteral("The adapter at %1 took the connection but did not answer its "
                                     "reset: switch the ignition on and check again.")
                          .arg(result.where);
        else if (result.speeds && result.speeds->found && *result.speeds->found != result.speed)
            verdict =
                QStringLiteral("No adapter answered at %1 baud; one answered at %2: choose %2.")
                    .arg(result.speed)
                    .arg(*result.speeds->found);
        else if (result.speeds)
            verdict = SpeedSearchAdvice(*result.speeds);
        else
            verdict = QStringLiteral("No adapter answered its reset.");
    } else if (setupFailed && setupFailed->outcome == CheckOutcome::Refused) {
        verdict = QStringLiteral("This adapter refused %1: %2. Use another adapter.")
                      .arg(setupFailed->command.toUpper(), WhatItDoes(setupFailed->command));
    } else if (setupFailed) {
        verdict = QStringLiteral("This adapter gave %1 to %2 where an ELM327 says OK: use another "
                                 "adapter.")
                      .arg(OutcomeText(setupFailed->outcome), setupFailed->command.toUpper());
    } else if (cluster && cluster->outcome == CheckOutcome::Ok) {
        QStringList facts{result.banner.isEmpty() ? QStringLiteral("an ELM327-type adapter")
                                                  : result.banner};
        if (result.volts) facts << QStringLiteral("%1 V").arg(*result.volts, 0, 'f', 1);
        if (result.roundTripMs)
            facts << QStringLiteral("%1 ms per request").arg(*result.roundTripMs);
        verdict = QStringLiteral("This adapter can read the cluster (%1).")
                      .arg(facts.join(QStringLiteral(", ")));
    } else if (result.headerIgnored) {
        verdict = QStringLiteral("This adapter answered OK to ATSH720 but did not apply it: its "
                                 "requests reach the car's other units, never the cluster. Use "
                                 "another adapter.");
    } else {
        verdict = QStringLiteral("The adapter works, but the cluster did not answer: switch the "
                                 "ignition on and check that the car is a BA/BF Falcon or SX/SY "
                                 "Territory.");
    }
    if (result.volts && *result.volts < 12.0)
        verdict += QStringLiteral(" The car's supply is low, %1 V: charge the battery, as a "
                                  "cluster may misreport on a flat one.")
                       .arg(*result.volts, 0, 'f', 1);
    if (result.mainWasConnected)
        verdict += QStringLiteral(" The main window was connected: the check took its port, so "
                                  "press Connect there again afterwards.");
    return verdict;
}

QString CheckReportText(const CheckResult& result) {
    QStringList lines{QStringLiteral("Check Adapter: %1").arg(result.where)};
    for (const CheckStep& step : result.steps) {
        const QString answer = StepAnswerText(step, 200);
        lines << QStringLiteral("%1\t%2\t%3")
                     .arg(step.command.toUpper(), answer, OutcomeText(step.outcome));
    }
    lines << CheckVerdict(result);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace vorkel
