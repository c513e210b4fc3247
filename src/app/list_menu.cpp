// The context menu of the trouble-code list: what a workshop takes away from
// a session (the result, the adapter log).
#include "app/form1.h"

#include "common/message_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QSaveFile>
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

} // namespace

QString ResultText(const QString& partNumber, const QString& model, const QString& count,
                   const QStringList& lines) {
    QString text = QStringLiteral("Cluster part number: %1\nCluster type: %2\nDTC count: %3\n")
                       .arg(partNumber, model, count);
    for (const QString& line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

void Form1::BuildListMenu() {
    // A workshop pastes the result into a job card.
    mnu_Copy = MakeListAction(DTC_List, "mnu_Copy", "Copy");
    mnu_Copy->setShortcut(QKeySequence::Copy);
    mnu_Copy->setShortcutContext(Qt::WidgetShortcut);
    mnu_SaveLog = MakeListAction(DTC_List, "mnu_SaveLog", "Save Adapter Log...");
    DTC_List->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(mnu_Copy, &QAction::triggered, this, &Form1::CopyResult);
    connect(mnu_SaveLog, &QAction::triggered, this, &Form1::SaveAdapterLog);
    UpdateListMenu();
}

void Form1::UpdateListMenu() {
    mnu_SaveLog->setEnabled(!m_busy && m_log.HasSession());
}

void Form1::CopyResult() {
    m_log.Note(QStringLiteral("Copy"));
    QStringList lines;
    for (int i = 0; i < DTC_List->count(); ++i)
        lines << DTC_List->item(i)->text();
    QGuiApplication::clipboard()->setText(
        ResultText(Part_Label->text(), ClusterInfotext->text(), DTC_label->text(), lines));
}

QString Form1::ChooseFile(const QString& title, const QString& suggested) {
    if (m_chooseFile) return m_chooseFile(title, suggested);
    return QFileDialog::getSaveFileName(this, title, suggested);
}

void Form1::SaveFile(const QString& what, const QString& target, const QByteArray& bytes) {
    Message message;
    message.title = QStringLiteral("VORKEL");
    message.icon = MessageIcon::Warning;
    message.text = QStringLiteral("The %1 could not be saved.").arg(what);
    if (SameFile(target, m_log.Path()) || SameFile(target, m_log.OlderPath())) {
        message.informative =
            QStringLiteral("File: %1\nReason: that is the adapter log itself: choose another name.")
                .arg(target);
        ShowMessage(message);
        return;
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
        return;
    } else {
        reason = file.errorString();
    }
    message.informative = QStringLiteral("File: %1\nReason: %2").arg(target, reason);
    ShowMessage(message);
}

void Form1::SaveAdapterLog() {
    if (!mnu_SaveLog->isEnabled()) return;
    m_log.Note(QStringLiteral("Save Adapter Log"));
    const QString name =
        QStringLiteral("vorkel-%1.log")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
    const QString target =
        ChooseFile(QStringLiteral("Save Adapter Log"), QDir::home().filePath(name));
    if (target.isEmpty()) return;
    SaveFile(QStringLiteral("adapter log"), target, m_log.Contents());
}

} // namespace vorkel
