#include "settings/check_window.h"

#include "common/controls.h"
#include "common/value_label.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace vorkel {

CheckWindow::CheckWindow(QWidget* parent) : QDialog(parent) {
    PrepareDialog(this, "CheckWindow", 7200, 4200);
    setWindowTitle(QStringLiteral("Check Adapter"));
    CheckSteps_Table = new QTableWidget(0, 3, this);
    Place(CheckSteps_Table, "CheckSteps_Table", TwipsRect(120, 120, 6960, 2640));
    CheckSteps_Table->setHorizontalHeaderLabels(
        {QStringLiteral("Command"), QStringLiteral("Answer"), QStringLiteral("Result")});
    CheckSteps_Table->setAccessibleName(QStringLiteral("Steps of the check"));
    CheckSteps_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CheckSteps_Table->verticalHeader()->hide();
    CheckSteps_Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    CheckSteps_Table->horizontalHeader()->setStretchLastSection(false);
    CheckSteps_Table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    Verdict_Label = new ValueLabel(QStringLiteral("Verdict"), this);
    Place(Verdict_Label, "Verdict_Label", TwipsRect(120, 2880, 6960, 690));
    Verdict_Label->setWordWrap(true);
    Verdict_Label->setText(QStringLiteral("Checking..."));
    CheckCopy = MakeButton(this, "CheckCopy", "Copy", TwipsRect(5160, 3690, 855, 375));
    CheckCopy->setToolTip(QStringLiteral("Put the steps and the verdict on the clipboard as text"));
    CheckCopy->setEnabled(false);
    CheckClose = MakeButton(this, "CheckClose", "Cancel", TwipsRect(6120, 3690, 960, 375));
    CheckUseSpeed = MakeButton(this, "CheckUseSpeed", "", TwipsRect(3120, 3690, 1935, 375));
    CheckUseSpeed->setToolTip(QStringLiteral(
        "Save this port at the speed the adapter answered at, as Setup's Save does"));
    CheckUseSpeed->hide();
    setWindowModality(Qt::ApplicationModal);
    connect(CheckCopy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_report); });
    connect(CheckClose, &QPushButton::clicked, this, &CheckWindow::reject);
    connect(CheckUseSpeed, &QPushButton::clicked, this, [this] {
        if (m_useSpeed) m_useSpeed(m_speedToUse);
        CheckUseSpeed->setEnabled(false);
        CheckUseSpeed->setText(QStringLiteral("Saved: %1 baud").arg(m_speedToUse));
    });
}

void CheckWindow::ShowWaiting(const QString& waitingFor) {
    if (m_running) Verdict_Label->setText(waitingFor);
}

void CheckWindow::ShowSteps(const CheckResult& result) {
    CheckSteps_Table->setRowCount(static_cast<int>(result.steps.size()));
    for (int row = 0; row < result.steps.size(); ++row) {
        const CheckStep& step = result.steps.at(row);
        const QStringList cells{step.command.toUpper(), ReadableAnswer(step),
                                OutcomeText(step.outcome)};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            // The bytes as they came, for whoever wants them.
            item->setToolTip(column == 1 ? VisibleAnswer(step.answer, 400) : cells.at(column));
            CheckSteps_Table->setItem(row, column, item);
        }
    }
    CheckSteps_Table->resizeColumnToContents(0);
    CheckSteps_Table->resizeColumnToContents(2);
    CheckSteps_Table->scrollToBottom(); // the step that runs
}

void CheckWindow::Finished(const CheckResult& result) {
    ShowSteps(result);
    m_running = false;
    m_report = CheckReportText(result);
    Verdict_Label->setText(CheckVerdict(result));
    // The row the verdict is about stands out, and is the one a screen reader is on.
    if (const int marked = VerdictStep(result); marked >= 0) {
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = CheckSteps_Table->item(marked, column);
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        CheckSteps_Table->setCurrentCell(marked, 2);
    }
    CheckSteps_Table->scrollToTop();
    if (const std::optional<int> speed = SpeedToUse(result)) {
        m_speedToUse = *speed;
        CheckUseSpeed->setText(UseSpeedCaption(*speed));
        CheckUseSpeed->show();
    }
    CheckCopy->setEnabled(true);
    CheckClose->setText(QStringLiteral("Close"));
}

void CheckWindow::reject() {
    if (m_running) {
        if (m_cancel) m_cancel();
        return;
    }
    QDialog::reject();
}

void CheckWindow::closeEvent(QCloseEvent* event) {
    // A running check ends first; its window stays to tell it was cancelled.
    if (m_running) {
        if (m_cancel) m_cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace vorkel
