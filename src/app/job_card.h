#pragma once

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

// The job card: what a workshop keeps of a session, as plain text (Copy), as
// a one-page PDF (Save Report...) or on paper (Print Report...). Every fact on
// it was read from the car in one connection; Clear DTC adds what it erased.
namespace vorkel {

// One reading of the count and the list.
struct CodesRead {
    QDateTime at;          // when they were read
    QString count;         // as the window shows it; empty when not read
    bool listRead = false; // the list was asked for and (perhaps in part) arrived
    QStringList lines;     // the listed lines: code and description
    QString listNote;      // the message when the list arrived incomplete; else empty
};

struct JobCard {
    QString program; // "VORKEL 1.0.0"
    QString adapter; // the adapter's banner
    QString port;    // "COM33 (/dev/ttyUSB0) at 38400 baud"
    QString partNumber;
    QString model;
    CodesRead found; // what the cluster held before any Clear of this connection
    bool cleared = false;
    QDateTime clearedAt;         // when the cluster last confirmed an erase
    QString countBeforeClear;    // the count read just before it
    QString listNoteBeforeClear; // the list before it was incomplete: the message that said so
    QStringList erased;          // the lines the card had seen before each Clear, once each
    CodesRead afterClear;        // read after the last Clear
    QStringList failures;        // what went wrong since the card's facts were last read whole

    bool Exists() const { return found.at.isValid(); }
    // The reading that later reads bring up to date: after a Clear, the one after it.
    CodesRead& Current() { return cleared ? afterClear : found; }
};

// The card as plain text, one fact to a line.
QString JobCardText(const JobCard& card);

// The card as a rich-text document for a page: the same facts, with headings.
QString JobCardHtml(const JobCard& card);

// Lays the card out on one page of the device (a PDF writer, a printer);
// false when the device cannot be painted on (a printer that failed).
bool PaintJobCard(const JobCard& card, QPagedPaintDevice& device);

// The card as the bytes of a one-page PDF: A4 with 15 mm margins, or the page given.
QByteArray JobCardPdf(const JobCard& card, const QPageLayout& page = QPageLayout());

} // namespace vorkel
