#include "connection/check_report.h"

#include "cluster/cluster_functions.h"
#include "connection/adapter_connection.h"
#include "link/link_error.h"

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
        if (command.compare(QLatin1String(setup), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

bool IsText(QChar c) {
    return c.unicode() >= 0x20 && c.unicode() < 0x7F;
}

// The answer's lines without line ends, prompt and bytes that are no text;
// whether such bytes were there.
QStringList TextLines(const QString& answer, bool* strayBytes = nullptr) {
    QStringList lines;
    QString line;
    bool stray = false;
    for (const QChar c : answer + QLatin1Char('\r')) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('>')) {
            if (!line.trimmed().isEmpty()) lines << line.trimmed();
            line.clear();
        } else if (IsText(c)) {
            line += c;
        } else {
            stray = true;
        }
    }
    if (strayBytes) *strayBytes = stray;
    return lines;
}

// An echo is the command as sent: no blanks, "AT..." or hexadecimal digits.
bool LooksLikeEcho(const QString& line) {
    static const QRegularExpression echo(QStringLiteral("^(?:AT\\S*|[0-9A-F]{2,})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return echo.match(line).hasMatch();
}

bool IsNameLine(const QString& line) {
    return line != QLatin1String("OK") && line != QLatin1String("?") && !LooksLikeEcho(line);
}

} // namespace

QStringList PlannedCheckSteps() {
    QStringList steps{QStringLiteral("atz"), QStringLiteral("ati"), QStringLiteral("at@1"),
                      QStringLiteral("atrv")};
    for (const char* command : SetUpCommands)
        steps << QLatin1String(command);
    steps << QLatin1String(FirstIdentificationRequest);
    return steps;
}

bool AnswerFits(const QString& command, const QString& answer) {
    const QStringList lines = TextLines(answer);
    if (lines.isEmpty()) return false; // a prompt alone is left from an earlier answer
    if (LooksLikeEcho(lines.first()))
        return lines.first().compare(command, Qt::CaseInsensitive) == 0;
    const QString lower = command.toLower();
    if (lower == QLatin1String("atz") || lower == QLatin1String("ati"))
        return std::any_of(lines.begin(), lines.end(), IsNameLine);
    if (lower == QLatin1String("atrv"))
        return VoltsOfAnswer(answer).has_value() || lines.contains(QStringLiteral("?"));
    if (IsSetUpCommand(lower))
        return lines.contains(QStringLiteral("OK")) || lines.contains(QStringLiteral("?"));
    return true;
}

CheckOutcome ClassifyCheckAnswer(const QString& command, const QString& answer) {
    bool stray = false;
    const QStringList lines = TextLines(answer, &stray);
    if (lines.isEmpty() && stray) return CheckOutcome::Unreadable;
    if (!answer.contains(QLatin1Char('>'))) return CheckOutcome::NoAnswer;
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
    // A reset counts only with the adapter's name.
    if (lower == QLatin1String("atz"))
        return std::any_of(lines.begin(), lines.end(), IsNameLine) ? CheckOutcome::Ok
                                                                   : CheckOutcome::Unexpected;
    return lines.isEmpty() ? CheckOutcome::Unexpected : CheckOutcome::Ok;
}

QString VisibleAnswer(const QString& answer, int maxChars) {
    QString shown;
    for (const QChar c : answer) {
        if (c == QLatin1Char('\r'))
            shown += QStringLiteral("\\r");
        else if (c == QLatin1Char('\n'))
            shown += QStringLiteral("\\n");
        else if (!IsText(c))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (shown.size() > maxChars) shown = shown.left(maxChars - 3) + QStringLiteral("...");
    return shown;
}

QString ReadableAnswer(const CheckStep& step, int maxChars) {
    if (step.outcome == CheckOutcome::NotRun)
        return QStringLiteral("not run: the check was cancelled");
    if (step.outcome == CheckOutcome::Unreadable)
        return QStringLiteral("unreadable bytes: the speed may be wrong");
    QStringList lines = TextLines(step.answer);
    if (!lines.isEmpty() && lines.first().compare(step.command, Qt::CaseInsensitive) == 0)
        lines.removeFirst(); // its echo
    QString shown = lines.join(QStringLiteral(" / "));
    if (step.command.compare(QLatin1String("atrv"), Qt::CaseInsensitive) == 0) {
        if (const std::optional<double> volts = VoltsOfAnswer(step.answer))
            shown = VoltageText(*volts);
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

QString OutcomeText(CheckOutcome outcome) {
    switch (outcome) {
    case CheckOutcome::Ok:
        return QStringLiteral("OK");
    case CheckOutcome::Refused:
        return QStringLiteral("refused");
    case CheckOutcome::NoAnswer:
        return QStringLiteral("no answer");
    case CheckOutcome::Unreadable:
        return QStringLiteral("unreadable");
    case CheckOutcome::NotApplied:
        return QStringLiteral("said OK, not applied");
    case CheckOutcome::Cancelled:
        return QStringLiteral("cancelled");
    case CheckOutcome::NotRun:
        return QStringLiteral("not run");
    case CheckOutcome::Unexpected:
        break;
    }
    return QStringLiteral("unexpected");
}

int VerdictStep(const CheckResult& result) {
    const auto find = [&result](const auto& is) {
        for (qsizetype i = 0; i < result.steps.size(); ++i) {
            if (is(result.steps.at(i))) return static_cast<int>(i);
        }
        return -1;
    };
    if (!result.notOpened.isEmpty() || result.steps.isEmpty()) return -1;
    if (result.cancelled)
        return find([](const CheckStep& s) { return s.outcome == CheckOutcome::Cancelled; });
    if (result.lost) return static_cast<int>(result.steps.size() - 1);
    if (result.steps.first().outcome != CheckOutcome::Ok) return 0;
    const int setup = find([](const CheckStep& s) {
        return IsSetUpCommand(s.command) && s.outcome != CheckOutcome::Ok;
    });
    if (setup >= 0) return setup;
    return find(
        [](const CheckStep& s) { return s.command == QLatin1String(FirstIdentificationRequest); });
}

std::optional<int> SpeedToUse(const CheckResult& result) {
    if (result.link != LinkKind::Serial || !result.speeds) return std::nullopt;
    return SpeedToOffer(*result.speeds);
}

QString CheckVerdict(const CheckResult& result) {
    QString verdict;
    const int marked = VerdictStep(result);
    const CheckStep* step = marked >= 0 ? &result.steps.at(marked) : nullptr;
    if (!result.notOpened.isEmpty()) {
        verdict = QStringLiteral("%1 could not be opened: %2").arg(result.where, result.notOpened);
        if (!verdict.endsWith(QLatin1Char('.'))) verdict += QLatin1Char('.');
    } else if (result.cancelled) {
        verdict = QStringLiteral("The check was cancelled.");
    } else if (result.lost) {
        verdict = QStringLiteral("The connection to the adapter was lost during the check. %1")
                      .arg(LostLinkAdvice(result.link))
                      .replace(QLatin1String("press Connect"), QLatin1String("check again"));
    } else if (marked == 0) {
        if (result.link != LinkKind::Serial)
            verdict = NetworkResetAdvice(result.where);
        else if (result.speeds)
            verdict = SpeedSearchAdvice(*result.speeds);
        else
            verdict = QStringLiteral("No adapter answered its reset.");
    } else if (step && IsSetUpCommand(step->command) && step->outcome == CheckOutcome::Refused) {
        verdict = QStringLiteral("This adapter refused %1: %2. Use another adapter.")
                      .arg(step->command.toUpper(), WhatItDoes(step->command));
    } else if (step && step->outcome == CheckOutcome::NotApplied) {
        verdict = QStringLiteral("This adapter answered OK to %1 but did not apply it: its "
                                 "requests reach the car's other units, never the cluster. Use "
                                 "another adapter.")
                      .arg(step->command.toUpper());
    } else if (step && IsSetUpCommand(step->command)) {
        verdict = QStringLiteral("This adapter gave %1 to %2 where an ELM327 says OK: use another "
                                 "adapter.")
                      .arg(OutcomeText(step->outcome), step->command.toUpper());
    } else if (step && step->outcome == CheckOutcome::Ok) {
        QStringList facts{result.banner.isEmpty() ? QStringLiteral("an ELM327-type adapter")
                                                  : result.banner};
        if (result.volts) facts << QStringLiteral("%1 V").arg(*result.volts, 0, 'f', 1);
        if (result.roundTripMs)
            facts << QStringLiteral("%1 ms per request").arg(*result.roundTripMs);
        verdict = QStringLiteral("This adapter can read the cluster (%1).")
                      .arg(facts.join(QStringLiteral(", ")));
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
        lines << QStringLiteral("%1\t%2\t%3")
                     .arg(step.command.toUpper(), ReadableAnswer(step, 200),
                          OutcomeText(step.outcome));
    }
    lines << CheckVerdict(result);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace vorkel
