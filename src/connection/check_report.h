#pragma once

#include "common/mscomm.h"
#include "link/speed_search.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What Check Adapter found, and how it is told: pure, so tables can test it.
namespace vorkel {

enum class CheckOutcome {
    Ok,
    Refused,
    NoAnswer,
    Unexpected,
    Unreadable, // bytes came, but no text: the speed is wrong, or the line is noisy
    NotApplied, // said OK, but another unit answered what was meant for the cluster
    Cancelled,  // the check was cancelled while this step waited
    NotRun,     // the check was cancelled before this step
};

struct CheckStep {
    QString command; // as sent: "atz", "atsh720", "22e21a"
    QString answer;  // what came after the echo, through the prompt
    CheckOutcome outcome = CheckOutcome::NoAnswer;
};

struct CheckResult {
    QString where; // "COM7 (/dev/ttyUSB0) at 38400 baud", "network adapter 192.168.0.10:35000"
    LinkKind link = LinkKind::Serial;
    int port = 0;  // the COM port checked (serial)
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

// The steps every check asks for, in order, as far as they get; the other
// units' probe (0100) only follows a silent cluster.
QStringList PlannedCheckSteps();

// Whether an answer (through its prompt) is the one to command, or one left
// from before the check: an answer that opens with another command's echo,
// or, without an echo, lacks what this command's answer holds (a reset's
// banner, a set-up command's OK), is not this command's.
bool AnswerFits(const QString& command, const QString& answer);

// How an answer to a check command reads: the echo and the prompt are not
// part of it; a line with "?" alone is a refusal.
CheckOutcome ClassifyCheckAnswer(const QString& command, const QString& answer);

// The answer byte for byte as one line: CR as "\r", LF as "\n", other
// control bytes as "\xNN", cut to maxChars with "...". For the tooltip.
QString VisibleAnswer(const QString& answer, int maxChars = 48);

// The answer as a person reads it: its lines without line ends, prompt and
// stray bytes, joined by " / "; the voltage in words for ATRV; bytes that are
// no text at all named as such. Cut to maxChars.
QString ReadableAnswer(const CheckStep& step, int maxChars = 48);

// "12.4V" as ATRV gives it; nothing for anything else.
std::optional<double> VoltsOfAnswer(const QString& answer);
// "12.4 V (low)": low under 12.0 V, charging over 13.2 V.
QString VoltageText(double volts);

// The verdict in one sentence or two.
QString CheckVerdict(const CheckResult& result);

// The step whose answer made the verdict (the row the window marks); -1 for none.
int VerdictStep(const CheckResult& result);

// The speed the adapter was found at, when it is not the one checked: what
// "Use N baud" saves.
std::optional<int> SpeedToUse(const CheckResult& result);

// The rows and the verdict as text, for Copy.
QString CheckReportText(const CheckResult& result);

QString OutcomeText(CheckOutcome outcome);

} // namespace vorkel
