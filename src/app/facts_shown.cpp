// What the facts on the window are: read in this connection, or before it
// (when, and from which adapter), and what Clear DTC did to them.
#include "app/form1.h"

#include "common/list_placeholder.h"
#include "common/mscomm.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/value_label.h"
#include "link/serial_port.h"

#include <QDateTime>
#include <QListWidget>
#include <QPushButton>

namespace vorkel {
namespace {

constexpr int FactsOldMessageMs = 10000;
constexpr int ClearOutcomeMessageMs = 60000;

// "B1201" of "B1201,Fuel Sender Circuit Failure".
QString CodeOfLine(const QString& line) {
    return line.section(QLatin1Char(','), 0, 0).trimmed();
}

QString JoinedCodes(const QStringList& codes) {
    if (codes.size() < 2) return codes.join(QString());
    return codes.mid(0, codes.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           codes.back();
}

} // namespace

QString ClearOutcomeWords(qsizetype erased, const QStringList& cameBack) {
    QStringList codes;
    for (const QString& line : cameBack)
        if (!codes.contains(CodeOfLine(line))) codes << CodeOfLine(line);
    const QString head = QStringLiteral("%1 erased; ").arg(erased);
    if (codes.isEmpty()) return head + QStringLiteral("none came back.");
    return head + QStringLiteral("%1 came back: %2")
                      .arg(JoinedCodes(codes),
                           codes.size() == 1 ? QStringLiteral("that fault is still present.")
                                             : QStringLiteral("those faults are still present."));
}

void Form1::SayClearOutcome(const QStringList& before, const QString& countBefore) {
    bool counted = false;
    const int count = countBefore.toInt(&counted);
    const QString words =
        ClearOutcomeWords(counted ? qsizetype{count} : before.size(), ListedLines());
    m_log.Note(QStringLiteral("Clear DTC: ") + words);
    StatusBar1->ShowNotice(words, ClearOutcomeMessageMs);
}

void Form1::NoteWhereFactsCameFrom() {
    // A fact read now is dated and placed; one kept from before says so.
    const bool connected = Connect_Command->text() != QLatin1String("Connect");
    const QString from =
        QStringLiteral("read at %1 from %2")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")),
                 !MSComm1->IsSerial() ? MSComm1->LinkName()
                                      : PortAndSpeedText(CommPortNumber, CommSpeed));
    const auto fromAdapter = [&] {
        return m_read.adapter.isEmpty() ? from
                                        : QStringLiteral("%1 (%2)").arg(from, m_read.adapter);
    };
    if (connected && !m_read.partNumber.isEmpty() && m_partFrom.connection != m_connection)
        m_partFrom = {m_connection, fromAdapter()};
    // A Connect that counted none leaves the list as it was.
    if (connected && m_listTaken && (m_operation != Operation::Connect || m_listing))
        m_listFrom = {m_connection, fromAdapter()};
    const auto old = [&](const Source& source, bool shown) {
        return shown && !source.said.isEmpty() && (!connected || source.connection != m_connection);
    };
    const bool partOld = old(m_partFrom, !Part_Label->text().isEmpty());
    const bool listOld = old(m_listFrom, DTC_List->count() > 0);
    const auto note = [](const Source& source) {
        return QStringLiteral("Shown from before: %1.").arg(source.said);
    };
    Part_Label->setNote(partOld ? note(m_partFrom) : QString());
    DTC_List->setToolTip(listOld ? note(m_listFrom) : QString());
    SetListPlaceholder(DTC_List, DTC_label->text() == QLatin1String("0") && connected
                                     ? QStringLiteral("No trouble codes stored")
                                     : QStringLiteral("Not read yet"));
    // Said in the bar once, when the facts become old.
    if ((partOld || listOld) && !m_factsOld)
        StatusBar1->ShowNoticeAfter(
            QStringLiteral("The %1 shown %2 from before: %3.")
                .arg(partOld && listOld ? QStringLiteral("part number and codes")
                     : partOld          ? QStringLiteral("part number")
                                        : QStringLiteral("codes"),
                     partOld && !listOld ? QStringLiteral("is") : QStringLiteral("are"),
                     (partOld ? m_partFrom : m_listFrom).said),
            FactsOldMessageMs);
    m_factsOld = partOld || listOld;
}

} // namespace vorkel
