#pragma once

#include "connection/check_report.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace vorkel {

class ValueLabel;

// Check Adapter's result: a row per step (the command, the adapter's answer
// as a person reads it, OK / refused / no answer / unexpected), the voltage
// in words and the verdict, the row the verdict is about marked; Copy, Close,
// and "Use N baud" when the adapter was found at another speed. While the
// check runs it says what it waits for, and Close cancels it. Modal for the
// application: nothing else talks to an adapter meanwhile.
class CheckWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CheckWindow(QWidget* parent);

    QTableWidget* CheckSteps_Table = nullptr;
    ValueLabel* Verdict_Label = nullptr;
    QPushButton* CheckCopy = nullptr;
    QPushButton* CheckClose = nullptr;
    QPushButton* CheckUseSpeed = nullptr;

    // Called when the user cancels a running check (Close, Escape, the frame's X).
    void setCancel(const std::function<void()>& cancel) { m_cancel = cancel; }
    // Called with the speed when "Use N baud" is pressed.
    void setUseSpeed(const std::function<void(int)>& use) { m_useSpeed = use; }
    void ShowWaiting(const QString& waitingFor);
    void ShowSteps(const CheckResult& result);
    void Finished(const CheckResult& result);
    bool Running() const { return m_running; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    std::function<void()> m_cancel;
    std::function<void(int)> m_useSpeed;
    QString m_report;
    int m_speedToUse = 0;
    bool m_running = true;
};

} // namespace vorkel
