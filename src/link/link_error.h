#pragma once

#include "common/mscomm.h"

#include <QString>
#include <stdexcept>

namespace vorkel {

// Why a wait for the adapter ended without what it waited for.
enum class LinkFailure {
    PortClosed,       // the program closed the port (Disconnect, Setup, Exit)
    PortLost,         // the device went away under the wait (unplugged)
    ConnectTimedOut,  // the connection time-out fired during an attempt
    NoAnswer,         // nothing arrived for the answer time limit
    PendingNoAnswer,  // the cluster said "busy" (7F xx 78) and never answered
    PendingTooLong,   // the cluster kept saying "busy" past the pending bound
    EndlessAnswer,    // bytes kept coming past the answer bound, never the prompt
    IncompleteList,   // a frame of the code list was missing, damaged or out of order
    DamagedAnswer,    // the cluster's answer came as a damaged frame
    Refused,          // "?": the adapter did not understand the command
    NoData,           // "NO DATA": the cluster did not answer
    Stopped,          // "STOPPED": the adapter interrupted the request
    CanError,         // "CAN ERROR"
    BufferFull,       // "BUFFER FULL"
    UnableToConnect,  // "UNABLE TO CONNECT": no CAN bus found
    AdapterReset,     // "ERR94": a fatal CAN error; the adapter reset its settings
    NegativeResponse, // 7F service code: the cluster refused the request
    Unexpected,       // the answer ended without what was expected
};

class LinkError : public std::runtime_error {
  public:
    LinkError(LinkFailure failure, QString received = {}, int responseCode = -1)
        : std::runtime_error("adapter link failure"), m_failure(failure),
          m_received(std::move(received)), m_responseCode(responseCode) {}
    LinkFailure failure() const { return m_failure; }
    // What the adapter sent instead, trimmed; may be empty.
    const QString& received() const { return m_received; }
    // The negative response code, for NegativeResponse.
    int responseCode() const { return m_responseCode; }

  private:
    LinkFailure m_failure;
    QString m_received;
    int m_responseCode;
};

// Looks at an answer that ended at the prompt without what was awaited and
// names the adapter's or the cluster's reason. Pure: for tests and fuzzing.
struct AnswerProblem {
    LinkFailure failure = LinkFailure::Unexpected;
    int responseCode = -1;
    bool pending = false; // the last frame was 7F xx 78: the real answer may follow
};
AnswerProblem ClassifyAnswer(const QString& answer, const QString& request);

// The user's words for a failure: what went wrong and what to try.
struct FailureWords {
    QString text;
    QString advice;
};
// clusterAnswered: the cluster has answered in this connection, so the car is
// not the wrong model whatever fails now. link: how the adapter is reached.
FailureWords DescribeFailure(const LinkError& error, const QString& operation,
                             bool clusterAnswered = false, LinkKind link = LinkKind::Serial);

// What to do when the connection to the adapter was lost: a plug, a WiFi
// link or a Bluetooth one.
QString LostLinkAdvice(LinkKind link);

} // namespace vorkel
