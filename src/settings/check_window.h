#pragma once

#include "connection/check_report.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace vorkel {

class ValueLabel;

// Check Adapter's result: a row per step (the command, the adapter's answer
// with its line ends shown, OK / refused / no answer / unexpected), the
// voltage in words and the verdict; Copy and Close. While the check runs the
// Close button cancels it.
class CheckWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CheckWindow(QWidget* parent);

    QTableWidget* CheckSteps_Table = nullptr;
    ValueLabel* Verdict_Label = nullptr;
    QPushButton* CheckCopy = nullptr;
    QPushButton* CheckClose = nullptr;

    // Called when the user cancels a running check (Close, Escape, the frame's X).
    void setCancel(const std::function<void()>& cancel) { m_cancel = cancel; }
    void ShowSteps(const CheckResult& result);
    void Finished(const CheckResult& result);
    bool Running() const { return m_running; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    std::function<void()> m_cancel;
    QString m_report;
    bool m_running = true;
};

} // namespace vorkel
