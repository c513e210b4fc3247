#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// `vorkel --read`: the cluster read without a window, for workshops, scripts
// and a car PC; the result on standard output as the job card's text or one
// JSON object.
namespace vorkel {

// Exit statuses: what a script tells apart.
enum ReadExit {
    ReadWhole = 0,
    ReadUsage = 1,
    ReadNoAdapter = 2,  // no port, no adapter answering its reset
    ReadNoCluster = 3,  // the adapter answers, the cluster does not
    ReadListBroken = 4, // the list incomplete or damaged (and Clear refused for it)
    ReadNotCleared = 5, // Clear DTC not confirmed
    ReadNoReport = 6,   // the report could not be written
    ReadStopped = 130,  // Ctrl+C or SIGTERM
};

struct ReadOptions {
    bool json = false;
    bool clear = false;
    QString report; // a PDF to write as well; empty: none
};

// What one run read, in the order it was read.
struct ReadResult {
    QString adapter; // the banner
    QString port;    // as panel 2 names it
    std::optional<int> speed;
    QDateTime readAt;
    QString partNumber, model;
    std::optional<int> count;
    QStringList codes; // as received ("9201"), in reply order
    bool listRead = false;
    bool complete = false;
    bool clearAsked = false, clearConfirmed = false;
    QStringList erased, cameBack; // codes as received
    std::optional<int> countAfter;
    QString error;
    int exit = ReadWhole;
};

// Reads (and with options.clear clears) on the adapter the shared settings
// name; progress goes to standard error when it is a terminal.
ReadResult RunReading(const ReadOptions& options);

// The result as one JSON object, and as the job card's text.
QByteArray ReadResultJson(const ReadResult& result);
QString ReadResultText(const ReadResult& result);
struct JobCard;
JobCard ReadResultCard(const ReadResult& result);

} // namespace vorkel
