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
// value, the trouble-code lines, a sentence, a line to write on, or a fact of
// the small print at the foot.
struct Entry {
    enum Kind { Heading, Fact, Lines, Sentence, Blank, SmallPrint } kind;
    QString caption;
    QString value;
    QStringList lines;
    bool pageOnly = false; // not in the text that Copy gives
};

const QString Title = QStringLiteral("Instrument cluster trouble code report");
const QString WriteOn = QStringLiteral("________________________________________");
constexpr int NoteLines = 4;

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

// The car first, then its codes, what Clear DTC did, what went wrong, the
// workshop's lines, and the technical facts in small print: in the order it happened.
QList<Entry> Entries(const JobCard& card) {
    QList<Entry> entries{{Entry::Heading, QStringLiteral("Car"), {}, {}},
                         {Entry::Fact, QStringLiteral("Cluster type"), card.model, {}},
                         {Entry::Fact, QStringLiteral("Cluster part number"), card.partNumber, {}},
                         {Entry::Fact, QStringLiteral("Read"), At(card.found.at), {}}};
    for (const char* blank : {"Registration or VIN", "Odometer", "Customer"})
        entries << Entry{Entry::Blank, QLatin1String(blank), {}, {}, true};
    entries << Entry{Entry::Heading, QStringLiteral("Diagnostic trouble codes (DTC)"), {}, {}}
            << Entry{Entry::Fact, QStringLiteral("DTC count"), NotRead(card.found.count), {}};
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
    entries << Entry{Entry::Heading, QStringLiteral("Notes"), {}, {}, true};
    for (int i = 0; i < NoteLines; ++i)
        entries << Entry{Entry::Blank, {}, {}, {}, true};
    for (const char* blank : {"Technician", "Signature"})
        entries << Entry{Entry::Blank, QLatin1String(blank), {}, {}, true};
    entries << Entry{Entry::SmallPrint, QStringLiteral("Program"), card.program, {}}
            << Entry{Entry::SmallPrint, QStringLiteral("Adapter"), card.adapter, {}}
            << Entry{Entry::SmallPrint, QStringLiteral("Port"), card.port, {}};
    return entries;
}

// "B1201,Fuel Sender Circuit Failure": the code, then its description.
std::pair<QString, QString> CodeAndDescription(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0) return {line, QString()};
    const QString description = line.mid(comma + 1);
    return {line.left(comma), description == QLatin1String("Description not known")
                                  ? QStringLiteral("not known")
                                  : description};
}

QString HtmlLines(const Entry& entry) {
    if (!entry.caption.isEmpty())
        return QStringLiteral("<p>%1</p>").arg(entry.caption.toHtmlEscaped());
    if (entry.lines.isEmpty()) return QStringLiteral("<p>(none listed)</p>");
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
                                  "border=\"1\"><tr><th align=\"left\" width=\"18%\">Code</th>"
                                  "<th align=\"left\">Description</th></tr>");
    for (const QString& line : entry.lines) {
        const auto [code, description] = CodeAndDescription(line);
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(code.toHtmlEscaped(), description.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

} // namespace

QString JobCardText(const JobCard& card) {
    QString text = Title + QLatin1Char('\n');
    bool smallPrint = false;
    for (const Entry& entry : Entries(card)) {
        if (entry.pageOnly) continue;
        switch (entry.kind) {
        case Entry::Heading:
            text += QStringLiteral("\n%1\n").arg(entry.caption);
            break;
        case Entry::Fact:
        case Entry::SmallPrint:
            if (entry.kind == Entry::SmallPrint && !smallPrint) text += QLatin1Char('\n');
            smallPrint = smallPrint || entry.kind == Entry::SmallPrint;
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
        case Entry::Blank:
            break;
        }
    }
    return text;
}

QString JobCardHtml(const JobCard& card) {
    QString html = QStringLiteral("<h2>%1</h2>").arg(Title.toHtmlEscaped());
    // Facts and lines to write on stand in one table a section, so their columns line up.
    bool inTable = false;
    const auto openTable = [&] {
        if (!inTable)
            html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">");
        inTable = true;
    };
    const auto closeTable = [&] {
        if (inTable) html += QStringLiteral("</table>");
        inTable = false;
    };
    QStringList smallPrint;
    for (const Entry& entry : Entries(card)) {
        if (entry.kind != Entry::Fact && entry.kind != Entry::Blank) closeTable();
        switch (entry.kind) {
        case Entry::Heading:
            html += QStringLiteral("<h3>%1</h3>").arg(entry.caption.toHtmlEscaped());
            break;
        case Entry::Fact:
            openTable();
            html += QStringLiteral("<tr><td width=\"30%\">%1:</td><td><b>%2</b></td></tr>")
                        .arg(entry.caption.toHtmlEscaped(), entry.value.toHtmlEscaped());
            break;
        case Entry::Blank:
            openTable();
            html += QStringLiteral("<tr><td width=\"30%\">%1</td><td>%2</td></tr>")
                        .arg(entry.caption.isEmpty() ? QString() : entry.caption + QLatin1Char(':'),
                             WriteOn);
            break;
        case Entry::Lines:
            html += HtmlLines(entry);
            break;
        case Entry::Sentence:
            html += QStringLiteral("<p><b>%1</b></p>").arg(entry.value.toHtmlEscaped());
            break;
        case Entry::SmallPrint:
            smallPrint << QStringLiteral("%1: %2").arg(entry.caption, entry.value).toHtmlEscaped();
            break;
        }
    }
    closeTable();
    html += QStringLiteral("<p style=\"font-size:7pt\"><br>%1</p>")
                .arg(smallPrint.join(QStringLiteral(" &nbsp;&middot;&nbsp; ")));
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
        writer.setTitle(Title);
        writer.setCreator(card.program);
        PaintJobCard(card, writer);
    }
    return buffer.data();
}

} // namespace vorkel
