// What `vorkel --read` prints: the job card's text, or one JSON object.
#include "app/form1.h"
#include "app/job_card.h"
#include "app/read_command.h"
#include "dtc/dtc_descriptions.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vorkel {
namespace {

QJsonValue NumberOrNull(const std::optional<int>& number) {
    return number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null);
}

QJsonValue TextOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

// "B1201" for "9201"; what the table says of it, or null.
QJsonObject CodeObject(const QString& raw) {
    const QString known = DtcDescription(raw);
    return {{QStringLiteral("code"), J2012Code(raw)},
            {QStringLiteral("raw"), raw},
            {QStringLiteral("description"), TextOrNull(known.section(QLatin1Char(','), 1))}};
}

QJsonArray CodeArray(const QStringList& codes) {
    QJsonArray array;
    for (const QString& raw : codes)
        array.append(CodeObject(raw));
    return array;
}

QJsonArray SaeArray(const QStringList& codes) {
    QJsonArray array;
    for (const QString& raw : codes)
        array.append(J2012Code(raw));
    return array;
}

QStringList LinesOf(const QStringList& codes) {
    QStringList lines;
    for (const QString& raw : codes)
        lines << DtcLine(raw);
    return lines;
}

} // namespace

QByteArray ReadResultJson(const ReadResult& result) {
    QJsonObject object{
        {QStringLiteral("program"), QStringLiteral("VORKEL")},
        {QStringLiteral("version"), ProgramAndVersion().section(QLatin1Char(' '), 1)},
        {QStringLiteral("adapter"), TextOrNull(result.adapter)},
        {QStringLiteral("port"), result.port},
        {QStringLiteral("speed"), NumberOrNull(result.speed)},
        {QStringLiteral("read_at"),
         result.readAt.isValid()
             ? QJsonValue(result.readAt.toOffsetFromUtc(result.readAt.offsetFromUtc())
                              .toString(Qt::ISODate))
             : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("cluster"),
         result.partNumber.isEmpty()
             ? QJsonValue(QJsonValue::Null)
             : QJsonValue(QJsonObject{{QStringLiteral("type"), TextOrNull(result.model)},
                                      {QStringLiteral("part_number"), result.partNumber}})},
        {QStringLiteral("count"), NumberOrNull(result.count)},
        {QStringLiteral("codes"), CodeArray(result.codes)},
        {QStringLiteral("complete"), result.complete},
        {QStringLiteral("error"), TextOrNull(result.error)},
    };
    if (result.clearAsked)
        object.insert(QStringLiteral("clear"),
                      QJsonObject{{QStringLiteral("confirmed"), result.clearConfirmed},
                                  {QStringLiteral("erased"), SaeArray(result.erased)},
                                  {QStringLiteral("came_back"), SaeArray(result.cameBack)}});
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

JobCard ReadResultCard(const ReadResult& result) {
    JobCard card;
    card.program = ProgramAndVersion();
    card.adapter = result.adapter;
    card.port = result.port;
    card.partNumber = result.partNumber;
    card.model = result.model;
    card.found.at = result.readAt;
    card.found.count = result.count ? QString::number(*result.count) : QString();
    card.found.listRead = result.listRead || (result.count && *result.count == 0);
    card.found.lines = LinesOf(result.codes);
    if (!result.complete && result.listRead)
        card.found.listNote = QStringLiteral("The list arrived incomplete.");
    if (result.clearConfirmed) {
        card.cleared = true;
        card.clearedAt = QDateTime::currentDateTime();
        card.countBeforeClear = card.found.count;
        card.erased = card.found.lines;
        card.afterClear.at = card.clearedAt;
        card.afterClear.count = result.countAfter ? QString::number(*result.countAfter) : QString();
        card.afterClear.listRead = result.countAfter.has_value();
        card.afterClear.lines = LinesOf(result.cameBack);
    }
    if (!result.error.isEmpty()) card.failures << result.error;
    return card;
}

QString ReadResultText(const ReadResult& result) {
    return JobCardText(ReadResultCard(result));
}

} // namespace vorkel
