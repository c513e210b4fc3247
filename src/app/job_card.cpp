#include "app/job_card.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace vorkel {
namespace {

QString ReadAt(const JobCard& card) {
    return card.read.isValid() ? card.read.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

QString CountAfterClear(const JobCard& card) {
    return card.countAfterClear.isEmpty() ? QStringLiteral("not read") : card.countAfterClear;
}

// The facts of the card's head, in order: a caption and its value.
QList<QPair<QString, QString>> HeadFacts(const JobCard& card) {
    return {{QStringLiteral("Read"), ReadAt(card)},
            {QStringLiteral("Adapter"), card.adapter},
            {QStringLiteral("Port"), card.port},
            {QStringLiteral("Cluster part number"), card.partNumber},
            {QStringLiteral("Cluster type"), card.model},
            {QStringLiteral("DTC count"), card.count}};
}

QString HtmlLines(const QStringList& lines) {
    if (lines.isEmpty()) return QStringLiteral("<p>(none listed)</p>");
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const QString& line : lines) {
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
    for (const auto& [caption, value] : HeadFacts(card))
        text += QStringLiteral("%1: %2\n").arg(caption, value);
    text += card.lines.isEmpty() ? QStringLiteral("(none listed)\n")
                                 : card.lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (!card.listNote.isEmpty()) text += card.listNote + QLatin1Char('\n');
    if (card.cleared) {
        text += QStringLiteral("Erased by Clear DTC:\n");
        for (const QString& line : card.erased)
            text += line + QLatin1Char('\n');
        text += QStringLiteral("DTC count after Clear: %1\n").arg(CountAfterClear(card));
    }
    return text;
}

QString JobCardHtml(const JobCard& card) {
    QString html = QStringLiteral("<h2>%1 job card</h2><table cellspacing=\"0\" cellpadding=\"2\">")
                       .arg(card.program.toHtmlEscaped());
    for (const auto& [caption, value] : HeadFacts(card))
        html += QStringLiteral("<tr><td>%1:</td><td><b>%2</b></td></tr>")
                    .arg(caption.toHtmlEscaped(), value.toHtmlEscaped());
    html += QStringLiteral("</table><h3>Trouble codes</h3>") + HtmlLines(card.lines);
    if (!card.listNote.isEmpty())
        html += QStringLiteral("<p><b>%1</b></p>").arg(card.listNote.toHtmlEscaped());
    if (card.cleared) {
        html += QStringLiteral("<h3>Erased by Clear DTC</h3>") + HtmlLines(card.erased) +
                QStringLiteral("<p>DTC count after Clear: <b>%1</b></p>")
                    .arg(CountAfterClear(card).toHtmlEscaped());
    }
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

QByteArray JobCardPdf(const JobCard& card) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("%1 job card").arg(card.program));
        writer.setCreator(card.program);
        PaintJobCard(card, writer);
    }
    return buffer.data();
}

} // namespace vorkel
