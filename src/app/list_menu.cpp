// The context menu of the trouble-code list: what a workshop takes away from
// a session (the job card as text, PDF or paper; the adapter log).
#include "app/form1.h"

#include "common/message_box.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/value_label.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QShortcut>
#include <cerrno>

namespace vorkel {
namespace {

QAction* MakeListAction(QListWidget* list, const char* name, const char* caption) {
    auto* action = new QAction(QLatin1String(caption), list);
    action->setObjectName(QLatin1String(name));
    list->addAction(action);
    return action;
}

// The same file, also when reached through a link or another spelling.
bool SameFile(const QString& a, const QString& b) {
    const auto where = [](const QString& path) {
        const QFileInfo info(path);
        const QString real = info.canonicalFilePath();
        return real.isEmpty()
                   ? QDir(info.absolutePath()).canonicalPath() + QLatin1Char('/') + info.fileName()
                   : real;
    };
    return where(a) == where(b);
}

// "vorkel-report-20261208-101502.pdf" in the home folder: found again by
// date, and a second save a moment later gets a name of its own.
QString DatedFileAtHome(const char* kind, const char* ending) {
    const QString base =
        QStringLiteral("vorkel%1-%2")
            .arg(QLatin1String(kind),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString name = QStringLiteral("%1.%2").arg(base, QLatin1String(ending));
    for (int n = 2; QFileInfo::exists(QDir::home().filePath(name)); ++n)
        name = QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(QLatin1String(ending));
    return QDir::home().filePath(name);
}

const QString PdfFilter = QStringLiteral("PDF (*.pdf)");
constexpr int SavedMessageMs = 10000;

bool ChoosePrinterInDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

void Form1::BuildListMenu() {
    // A workshop keeps the result: pasted into its own job card, or as ours.
    mnu_Copy = MakeListAction(DTC_List, "mnu_Copy", "Copy");
    mnu_Copy->setShortcut(QKeySequence::Copy);
    mnu_Copy->setShortcutContext(Qt::WidgetShortcut);
    mnu_SaveLog = MakeListAction(DTC_List, "mnu_SaveLog", "Save Adapter Log...");
    mnu_SaveReport = MakeListAction(DTC_List, "mnu_SaveReport", "Save Report...");
    mnu_PrintReport = MakeListAction(DTC_List, "mnu_PrintReport", "Print Report...");
    DTC_List->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(mnu_Copy, &QAction::triggered, this, &Form1::CopyResult);
    connect(mnu_SaveLog, &QAction::triggered, this, &Form1::SaveAdapterLog);
    connect(mnu_SaveReport, &QAction::triggered, this, &Form1::SaveReport);
    connect(mnu_PrintReport, &QAction::triggered, this, &Form1::PrintReport);
    // The menu from the keyboard too: the Menu key, and Shift+F10 as elsewhere.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, DTC_List, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, &Form1::ShowListMenu);
    }
    UpdateListMenu();
}

void Form1::UpdateListMenu() {
    mnu_SaveLog->setEnabled(m_operation == Operation::None && m_log.HasSession());
    const bool card = m_operation == Operation::None && m_card.Exists();
    mnu_SaveReport->setEnabled(card);
    mnu_PrintReport->setEnabled(card);
}

void Form1::ShowListMenu() {
    // Where the current entry is, as a keyboard user expects; the top otherwise.
    const QListWidgetItem* current = DTC_List->currentItem();
    const QPoint at = current ? DTC_List->visualItemRect(current).bottomLeft() : QPoint(0, 0);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, DTC_List->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(DTC_List, &event);
}

QStringList Form1::ListedLines() const {
    QStringList lines;
    for (int i = 0; i < DTC_List->count(); ++i)
        lines << DTC_List->item(i)->text();
    return lines;
}

void Form1::CopyResult() {
    // The lines chosen, for a note on one fault; the whole card otherwise.
    QStringList chosen;
    for (const QListWidgetItem* item : DTC_List->selectedItems())
        chosen << item->text();
    m_log.Note(chosen.isEmpty() ? QStringLiteral("Copy") : QStringLiteral("Copy selected lines"));
    QGuiApplication::clipboard()->setText(chosen.isEmpty() ? JobCardText(m_card)
                                                           : chosen.join(QLatin1Char('\n')));
}

QString Form1::ChooseFile(const QString& title, const QString& suggested, const QString& filter) {
    if (m_chooseFile) return m_chooseFile(title, suggested);
    return QFileDialog::getSaveFileName(this, title, suggested, filter);
}

bool Form1::SaveFile(const QString& what, const QString& target, const QByteArray& bytes) {
    Message message;
    message.title = QStringLiteral("VORKEL");
    message.icon = MessageIcon::Warning;
    message.text = QStringLiteral("The %1 could not be saved.").arg(what);
    if (SameFile(target, m_log.Path()) || SameFile(target, m_log.OlderPath())) {
        message.informative =
            QStringLiteral("File: %1\nReason: that is the adapter log itself: choose another name.")
                .arg(target);
        ShowMessage(message);
        return false;
    }
    // Written beside the target and put in its place only when whole: a
    // failure leaves the file that was there as it was. Unbuffered, so that
    // a write cut short by a full disk is seen here (the save file's own
    // commit does not notice one).
    QSaveFile file(target);
    QString reason;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reason = file.errorString();
    } else if (file.write(bytes) != bytes.size()) {
        reason = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errno);
        file.cancelWriting();
    } else if (file.commit()) {
        // Nothing else shows that it was saved, and where.
        StatusBar1->ShowNotice(QStringLiteral("Saved: %1").arg(QFileInfo(target).fileName()),
                               SavedMessageMs,
                               QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(target)));
        return true;
    } else {
        reason = file.errorString();
    }
    message.informative = QStringLiteral("File: %1\nReason: %2").arg(target, reason);
    ShowMessage(message);
    return false;
}

void Form1::SaveReport() {
    if (!mnu_SaveReport->isEnabled()) return;
    m_log.Note(QStringLiteral("Save Report"));
    const QString target =
        ChooseFile(QStringLiteral("Save Report"), DatedFileAtHome("-report", "pdf"), PdfFilter);
    if (!target.isEmpty()) SaveFile(QStringLiteral("report"), target, JobCardPdf(m_card));
}

void Form1::PrintReport() {
    if (!mnu_PrintReport->isEnabled()) return;
    m_log.Note(QStringLiteral("Print Report"));
    QPrinter printer(QPrinter::HighResolution);
    // The print dialog suggests the document's name for a file: the same
    // dated name as Save Report...
    printer.setDocName(QFileInfo(DatedFileAtHome("-report", "pdf")).completeBaseName());
    printer.setPageSize(QPageSize(QPageSize::A4));
    // Where there is no printer, the dialog still offers printing to a PDF file.
    if (m_choosePrinter ? !m_choosePrinter(printer) : !ChoosePrinterInDialog(printer, this)) return;
    if (!printer.outputFileName().isEmpty()) {
        // A file goes the safe way, as Save Report... writes it: Qt's own PDF
        // engine would cut the chosen file short first, the log included.
        SaveFile(QStringLiteral("report"), printer.outputFileName(),
                 JobCardPdf(m_card, printer.pageLayout()));
        return;
    }
    if (!PaintJobCard(m_card, printer)) {
        Message message;
        message.title = QStringLiteral("VORKEL");
        message.icon = MessageIcon::Warning;
        message.text = QStringLiteral("The report could not be printed.");
        message.informative = QStringLiteral("Printer: %1").arg(printer.printerName());
        ShowMessage(message);
    }
}

void Form1::SaveAdapterLog() {
    if (!mnu_SaveLog->isEnabled()) return;
    m_log.Note(QStringLiteral("Save Adapter Log"));
    const QString target =
        ChooseFile(QStringLiteral("Save Adapter Log"), DatedFileAtHome("", "log"));
    if (target.isEmpty()) return;
    SaveFile(QStringLiteral("adapter log"), target, m_log.Contents());
}

} // namespace vorkel
