#pragma once

#include "cluster_model.h"
#include "replay.h"
#include "segment.h"
#include "sim_options.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace vorkelsim {

// The time a request and its answer spend on the CAN bus.
inline constexpr int BusTimeMs = 3;

// The ELM327 command interpreter with the cluster behind it: takes the bytes
// the host sends and tells what the adapter answers and when. No I/O here.
class Elm327 {
  public:
    explicit Elm327(SimOptions options);
    Elm327(const Elm327&) = delete; // the cluster works on this adapter's own options
    Elm327& operator=(const Elm327&) = delete;

    // Feeds received bytes; returns the answers to the commands they complete.
    std::vector<Answer> Receive(const QByteArray& bytes);

    // The answer to a request interrupted by a byte from the host.
    QByteArray StoppedText() const;

    const SimOptions& Options() const { return m_options; }
    // Faults, and the cluster's scenario, can be switched while the simulator
    // runs (tests); every change takes effect at the next command.
    SimOptions& MutableOptions() { return m_options; }

    // Replaying a log: the commands it had no answer left for.
    QStringList ReplayUnanswered() const {
        return m_replay ? m_replay->Unanswered() : QStringList();
    }

  private:
    Answer Execute(const QByteArray& received);
    void AtCommand(const QString& command, Answer& answer);
    void Request(const QString& command, Answer& answer);
    QByteArray LineEnd() const { return m_lineFeeds ? QByteArray("\r\n") : QByteArray("\r"); }
    QByteArray Closing() const { return LineEnd() + '>'; }
    // cut and error: the frame whose line is damaged that way (-1: none).
    QByteArray FormatFrames(const std::vector<Bytes>& frames, int cut = -1, int error = -1);
    QByteArray HexBytes(const Bytes& bytes, std::size_t from = 0, std::size_t to = SIZE_MAX) const;
    QByteArray FrameLine(const QByteArray& header, const QByteArray& bytes) const;
    QByteArray OtherUnitLine();
    int Latency();
    void Reset();

    SimOptions m_options;
    ClusterModel m_cluster;
    std::unique_ptr<ReplayScript> m_replay; // the adapter is a recorded log
    QByteArray m_line;                      // command characters received so far
    QString m_lastCommand;
    bool m_echo = true;
    bool m_headers = false;
    bool m_lineFeeds = false;
    bool m_spaces = true;
    bool m_autoFormat = true;
    int m_protocol = 0;
    bool m_protocolAuto = true;
    bool m_searchPending = true;
    int m_header = 0x7DF;
    int m_timeoutHex = 0x32;
    int m_answers = 0;           // answers given, for the latency jitter
    int m_otherUnit = 0;         // which other control unit's frame comes next
    QSet<QString> m_noDataGiven; // the requests of noDataOnce answered NO DATA already
};

// "ATCAF1", "22E21A": a received line with blanks and control characters removed, upper case.
QString NormaliseCommand(const QByteArray& line);

} // namespace vorkelsim
