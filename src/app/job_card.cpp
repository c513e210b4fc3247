#include "app/job_card.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace vorkel {
namespace {

QString At(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

// One entry of the card, in reading order: a heading, a caption with its
// value, the trouble-code lines, or a sentence.
struct Entry {
    enum Kind { Heading, Fact, Lines, Sentence } kind;
    QString caption;
    QString value;
    QStringList lines;
    bool pageOnly = false; // not in the text that Copy gives
};

// The blanks a workshop fills in by hand, in order.
QStringList JobCardBlanks() {
    return {QStringLiteral("Registration or VIN"), QStringLiteral("Odometer"),
            QStringLiteral("Customer"), QStringLiteral("Technician"), QStringLiteral("Signature")};
}

QString NotRead(const QString& value) {
    return value.isEmpty() ? QStringLiteral("not read") : value;
}

void AddCodes(QList<Entry>& entries, const CodesRead& codes) {
    entries << Entry{Entry::Lines,
                     codes.listRead ? QString() : QStringLiteral("(list not read)"),
                     {},
                     codes.lines};
    if (!codes.listNote.isEmpty()) entries << Entry{Entry::Sentence, {}, codes.listNote, {}};
}

// What happened, in the order it happened: what was found, then the Clear.
QList<Entry> Entries(const JobCard& card) {
    QList<Entry> entries{{Entry::Fact, QStringLiteral("Read"), At(card.found.at), {}},
                         {Entry::Fact, QStringLiteral("Adapter"), card.adapter, {}},
                         {Entry::Fact, QStringLiteral("Port"), card.port, {}},
                         {Entry::Fact, QStringLiteral("Cluster part number"), card.partNumber, {}},
                         {Entry::Fact, QStringLiteral("Cluster type"), card.model, {}},
                         {Entry::Fact, QStringLiteral("DTC count"), NotRead(card.found.count), {}}};
    AddCodes(entries, card.found);
    if (card.cleared) {
        entries << Entry{Entry::Heading, QStringLiteral("Clear DTC"), {}, {}}
                << Entry{Entry::Fact, QStringLiteral("Cleared"), At(card.clearedAt), {}}
                << Entry{Entry::Fact,
                         QStringLiteral("DTC count before Clear"),
                         NotRead(card.countBeforeClear),
                         {}};
        if (!card.listNoteBeforeClear.isEmpty())
            entries << Entry{Entry::Sentence, {}, card.listNoteBeforeClear, {}};
        entries << Entry{Entry::Fact, QStringLiteral("Erased by Clear DTC"), {}, {}}
                << Entry{Entry::Lines, {}, {}, card.erased}
                << Entry{Entry::Fact,
                         QStringLiteral("DTC count after Clear"),
                         NotRead(card.afterClear.count),
                         {}};
        if (card.afterClear.listRead && !card.afterClear.lines.isEmpty())
            AddCodes(entries, card.afterClear);
        else if (!card.afterClear.listNote.isEmpty())
            entries << Entry{Entry::Sentence, {}, card.afterClear.listNote, {}};
    }
    if (!card.failures.isEmpty()) {
        entries << Entry{Entry::Heading, QStringLiteral("Afterwards"), {}, {}};
        for (const QString& failure : card.failures)
            entries << Entry{Entry::Sentence, {}, failure, {}};
    }
    // Filled in by hand on the page; a workshop pasting the text has its own.
    entries << Entry{Entry::Heading, QStringLiteral("Workshop"), {}, {}, true};
    for (const QString& blank : JobCardBlanks())
        entries << Entry{
            Entry::Fact, blank, QStringLiteral("______________________________"), {}, true};
    return entries;
}

QString HtmlLines(const Entry& entry) {
    if (!entry.caption.isEmpty())
        return QStringLiteral("<p>%1</p>").arg(entry.caption.toHtmlEscaped());
    if (entry.lines.isEmpty()) return QStringLiteral("<p>(none listed)</p>");
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const QString& line : entry.lines) {
        // "B1201,Fuel Sender Circuit Failure": the code, then its description.
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(line.left(comma < 0 ? line.size() : comma).toHtmlEscaped(),
                         comma < 0 ? QString() : line.mid(comma + 1).toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

} // namespace

QString JobCardText(const JobCard& card) {
    QString text = QStringLiteral("%1 job card\n").arg(card.program);
    for (const Entry& entry : Entries(card)) {
        if (entry.pageOnly) continue;
        switch (entry.kind) {
        case Entry::Heading:
            text += QLatin1Char('\n');
            break;
        case Entry::Fact:
            text += entry.value.isEmpty()
                        ? entry.caption + QStringLiteral(":\n")
                        : QStringLiteral("%1: %2\n").arg(entry.caption, entry.value);
            break;
        case Entry::Lines:
            text += !entry.caption.isEmpty() ? entry.caption + QLatin1Char('\n')
                    : entry.lines.isEmpty()
                        ? QStringLiteral("(none listed)\n")
                        : entry.lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
            break;
        case Entry::Sentence:
            text += entry.value + QLatin1Char('\n');
            break;
        }
    }
    return text;
}

QString JobCardHtml(const JobCard& card) {
    QString html = QStringLiteral("<h2>%1 job card</h2>").arg(card.program.toHtmlEscaped());
    bool inTable = false;
    const auto closeTable = [&] {
        if (inTable) html += QStringLiteral("</table>");
        inTable = false;
    };
    for (const Entry& entry : Entries(card)) {
        if (entry.kind != Entry::Fact) closeTable();
        switch (entry.kind) {
        case Entry::Heading:
            html += QStringLiteral("<h3>%1</h3>").arg(entry.caption.toHtmlEscaped());
            break;
        case Entry::Fact:
            if (!inTable) html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
            inTable = true;
            html += QStringLiteral("<tr><td>%1:</td><td><b>%2</b></td></tr>")
                        .arg(entry.caption.toHtmlEscaped(), entry.value.toHtmlEscaped());
            break;
        case Entry::Lines:
            html += HtmlLines(entry);
            break;
        case Entry::Sentence:
            html += QStringLiteral("<p><b>%1</b></p>").arg(entry.value.toHtmlEscaped());
            break;
        }
    }
    closeTable();
    return html;
}

bool PaintJobCard(const JobCard& card, QPagedPaintDevice& device) {
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setHtml(JobCardHtml(card));
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    document.setTextWidth(page.width());
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // One page whatever the lists hold: a card too long for it is drawn smaller.
    const qreal height = document.size().height();
    if (height > page.height()) {
        const qreal scale = page.height() / height;
        painter.scale(scale, scale);
        document.setTextWidth(page.width() / scale);
    }
    document.drawContents(&painter);
    return painter.end();
}

QByteArray JobCardPdf(const JobCard& card, const QPageLayout& page) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        if (page.isValid()) {
            writer.setPageLayout(page);
        } else {
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        }
        writer.setTitle(QStringLiteral("%1 job card").arg(card.program));
        writer.setCreator(card.program);
        PaintJobCard(card, writer);
    }
    return buffer.data();
}

} // namespace vorkel
