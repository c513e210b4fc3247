// What an operation (Connect, View DTC, Clear DTC) leaves behind: the message
// when it failed, the log's line of what the window shows, and the job card,
// which holds only what the cluster said in this connection.
#include "app/form1.h"

#include "common/message_box.h"
#include "common/mscomm.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/value_label.h"
#include "link/link_error.h"
#include "link/serial_port.h"

#include <QListWidget>
#include <QPushButton>

namespace vorkel {
namespace {

// Failures of one connection the card names at most: the latest.
constexpr qsizetype CardFailuresKept = 5;

void TakeIfShown(QString& fact, const QString& shown) {
    if (!shown.isEmpty()) fact = shown;
}

} // namespace

bool Form1::LinkIsGone(const LinkError& error) const {
    switch (error.failure()) {
    case LinkFailure::PortClosed:
    case LinkFailure::PortLost:
    case LinkFailure::ConnectTimedOut:
    case LinkFailure::NoAnswer:
    case LinkFailure::EndlessAnswer: // a babbling adapter, or the wrong speed
    case LinkFailure::AdapterReset:  // its settings are gone: a new Connect sets them again
        return true;
    default:
        return false;
    }
}

void Form1::ReportFailure(const LinkError& error, const QString& operation,
                          const QString& outcome) {
    if (LinkIsGone(error) && MSComm1->PortOpen()) DisconnectSteps();
    // Once the cluster has answered, a later failure says nothing of the car's model.
    const FailureWords words =
        DescribeFailure(error, operation, !m_read.partNumber.isEmpty(), MSComm1->Kind());
    // Stopped by the user: said so, in the status bar; no box.
    const QString said =
        m_stopped && error.failure() == LinkFailure::PortClosed ? StoppedWords() : words.text;
    const QString text = outcome.isEmpty() ? said : said + QLatin1Char(' ') + outcome;
    if (m_stopped) StatusBar1->ShowNotice(text, StoppedMessageMs);
    // The card keeps the words, also where no message is shown.
    if (error.failure() == LinkFailure::IncompleteList) {
        m_listTaken = true;
        m_listNote = text;
    } else {
        m_failure = text;
    }
    // A port the program closed itself needs no message; the time-out has shown its own.
    if (m_exiting || m_quitAfterAnswer || error.failure() == LinkFailure::PortClosed ||
        error.failure() == LinkFailure::ConnectTimedOut)
        return;
    Message message;
    message.title = QStringLiteral("VORKEL");
    message.text = text;
    message.informative = words.advice;
    message.icon = MessageIcon::Critical;
    ShowMessage(message);
}

void Form1::NoteShownFacts() {
    // Before the port opened, the facts are still the car's before.
    if (!m_portOpened) return;
    TakeIfShown(m_read.adapter, facts.adapter);
    TakeIfShown(m_read.partNumber, facts.partNumber);
    TakeIfShown(m_read.model, facts.model);
    if (!m_countIsOld) TakeIfShown(m_read.count, facts.count);
}

void Form1::RecordErase() {
    CodesRead& before = m_card.Current();
    m_card.countBeforeClear = before.count;
    m_card.listNoteBeforeClear = before.listNote;
    // What the card had seen, once each, however often Clear was pressed.
    for (const QString& line : before.lines) {
        if (!m_card.erased.contains(line)) m_card.erased << line;
    }
    m_card.cleared = true;
    m_card.clearedAt = QDateTime::currentDateTime();
    m_card.afterClear = CodesRead{};
    // Until the count is read back, the one shown is no fact any more.
    m_read.count.clear();
    m_countIsOld = true;
}

void Form1::GateClearButton() {
    const bool counted = viewWanted; // connected, with a count other than 0
    EnableCodeButtons(*this, counted, counted && m_listRead);
    DTC_Clear_Button->setToolTip(
        counted && !m_listRead
            ? QStringLiteral("Press View DTC first: Clear DTC erases only codes that were listed.")
            : QString());
}

void Form1::RecordWhatIsShown() {
    const QStringList lines = ListedLines();
    m_log.Note(QStringLiteral("shown: part %1 | model %2 | count %3 | list %4 | %5")
                   .arg(Part_Label->text(), ClusterInfotext->text(), DTC_label->text(),
                        lines.join(QStringLiteral("; ")), StatusBar1->panelText(3)));
    NoteShownFacts();
    if (m_listTaken) m_listRead = true;
    GateClearButton();
    // Until the cluster has answered in this connection, the card stays the one before.
    if (!m_read.partNumber.isEmpty()) {
        if (!m_cardIsThisConnections) m_card = JobCard{};
        m_cardIsThisConnections = true;
        m_card.program = ProgramAndVersion();
        m_card.port = !MSComm1->IsSerial() ? MSComm1->LinkName()
                                           : PortAndSpeedText(CommPortNumber, CommSpeed);
        m_card.adapter = m_read.adapter;
        m_card.partNumber = m_read.partNumber;
        m_card.model = m_read.model;
        CodesRead& codes = m_card.Current();
        // A failure dates nothing and blanks nothing; a list it brought is dated.
        if (!m_failure || m_listTaken || !codes.at.isValid())
            codes.at = QDateTime::currentDateTime();
        codes.count = m_read.count;
        if (m_listTaken) {
            codes.listRead = true;
            codes.lines = facts.lines;
            codes.listNote = m_listNote;
        }
        if (!m_failure) {
            m_card.failures.clear();
        } else {
            m_card.failures << QStringLiteral("%1 %2").arg(
                QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")), *m_failure);
            if (m_card.failures.size() > CardFailuresKept)
                m_card.failures.remove(0, m_card.failures.size() - CardFailuresKept);
        }
    }
    NoteWhereFactsCameFrom();
    UpdateListMenu();
}

} // namespace vorkel
