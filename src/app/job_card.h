#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

// The job card: what a workshop keeps of a session, as plain text (Copy), as
// a one-page PDF (Save Report...) or on paper (Print Report...), with the
// codes that Clear DTC erased.
namespace vorkel {

struct JobCard {
    QString program; // "VORKEL 1.0.0"
    QDateTime read;  // when the facts below were read
    QString adapter; // the adapter's banner
    QString port;    // "COM33 (/dev/ttyUSB0) at 38400 baud"
    QString partNumber;
    QString model;
    QString count;           // the trouble-code count, as the window shows it
    QStringList lines;       // the listed lines: code and description
    QString listNote;        // the message when the list arrived incomplete; else empty
    bool cleared = false;    // Clear DTC erased codes in this connection
    QStringList erased;      // the lines listed just before it
    QString countAfterClear; // read after it; empty when that read failed
};

// The card as plain text, one fact to a line.
QString JobCardText(const JobCard& card);

// The card as a rich-text document for a page: the same facts, with headings.
QString JobCardHtml(const JobCard& card);

// Lays the card out on one page of the device (a PDF writer, a printer);
// false when the device cannot be painted on (a printer that failed).
bool PaintJobCard(const JobCard& card, QPagedPaintDevice& device);

// The card as the bytes of a one-page PDF.
QByteArray JobCardPdf(const JobCard& card);

} // namespace vorkel
