#pragma once

#include "link/speed_search.h"

#include <QList>
#include <QString>
#include <optional>

// What Check Adapter found, and how it is told: pure, so tables can test it.
namespace vorkel {

enum class CheckOutcome { Ok, Refused, NoAnswer, Unexpected };

struct CheckStep {
    QString command; // as sent: "atz", "atsh720", "22e21a"
    QString answer;  // what came after the echo, through the prompt
    CheckOutcome outcome = CheckOutcome::NoAnswer;
};

struct CheckResult {
    QString where; // "COM7 at 38400 baud" or "192.168.0.10:35000"
    bool network = false;
    int speed = 0; // the speed checked (serial)
    QList<CheckStep> steps;
    QString banner;                    // the adapter's name from ATI (or its reset)
    std::optional<double> volts;       // from ATRV
    std::optional<int> roundTripMs;    // the cluster's identification, request to prompt
    bool headerIgnored = false;        // another unit answered a request meant for the cluster
    std::optional<SpeedSearch> speeds; // the reset went unanswered: what the speed search found
    bool mainWasConnected = false;
    bool cancelled = false;
    bool lost = false; // the port went away during the check
    QString notOpened; // why the port could not be opened
};

// How an answer to a check command reads: the echo and the prompt are not
// part of it; a line with "?" alone is a refusal.
CheckOutcome ClassifyCheckAnswer(const QString& command, const QString& answer);

// The answer as one line: CR as "\r", LF as "\n", other control bytes as
// "\xNN", cut to maxChars with "...".
QString VisibleAnswer(const QString& answer, int maxChars = 48);

// "12.4V" as ATRV gives it; nothing for anything else.
std::optional<double> VoltsOfAnswer(const QString& answer);
// "12.4 V (low)": low under 12.0 V, charging over 13.2 V.
QString VoltageText(double volts);

// A step's answer as shown: visible, cut to maxChars, and for ATRV the
// voltage in words after it.
QString StepAnswerText(const CheckStep& step, int maxChars = 48);

// The verdict in one sentence or two.
QString CheckVerdict(const CheckResult& result);

// The rows and the verdict as text, for Copy.
QString CheckReportText(const CheckResult& result);

QString OutcomeText(CheckOutcome outcome);

} // namespace vorkel
