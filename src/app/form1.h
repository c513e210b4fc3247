#pragma once

#include "about/frm_about.h"
#include "app/input_table.h"
#include "app/job_card.h"
#include "common/adapter_log.h"
#include "common/form1_controls.h"
#include "common/mscomm.h"
#include "dtc/dtc_clear.h"
#include "settings/setup_form.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QPrinter;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace vorkel {

class LinkError;
class StatusBar;

// The main window: the trouble-code list, the four buttons, the cluster
// information and the status bar, with their handlers.
// The controls the lower modules use come from Form1Controls; the window is
// that set of controls and more, so it hands itself to them.
class Form1 : public QMainWindow, public Form1Controls {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    QGroupBox* ClusterInfo = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* Command2 = nullptr; // "Exit"
    QAction* mnu_Setup = nullptr;
    QAction* mnu_About = nullptr;
    QAction* mnu_Copy = nullptr;        // "Copy" in the list's context menu, and Ctrl+C
    QAction* mnu_SaveLog = nullptr;     // "Save Adapter Log..." in the same menu
    QAction* mnu_SaveReport = nullptr;  // "Save Report...": the job card as a PDF
    QAction* mnu_PrintReport = nullptr; // "Print Report..."
    Form1Controls& controls() { return *this; }
    // True while an exchange with the adapter runs under one of the handlers.
    bool ExchangeRunning() const { return m_operation != Operation::None; }
    Setup_Form* SetupDialog() const { return m_setup; }
    frmAbout* AboutDialog() const { return m_about; }
    // What Exit does once the window is gone; quits the application unless replaced (tests).
    void setExitAction(std::function<void()> action) { m_exitAction = std::move(action); }

    void Form_Load();
    void Connect_Command_Click();
    void Command1_Click();
    void DTC_Clear_Button_Click();
    void Command2_Click();
    void mnu_Setup_Click();
    void mnu_About_Click();
    void Timer1_Timer();
    void CopyResult();
    void SaveAdapterLog();
    void SaveReport();
    void PrintReport();
    AdapterLog& AdapterLogFile() { return m_log; }
    // Asks where to save a file (title, suggested path); the file dialog unless
    // replaced (tests). An empty answer cancels.
    using FileChooser = std::function<QString(const QString&, const QString&)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Sets the printer up and says whether to print; the print dialog unless replaced (tests).
    using PrinterChooser = std::function<bool(QPrinter&)>;
    void setPrinterChooser(PrinterChooser chooser) { m_choosePrinter = std::move(chooser); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    // Opens at the designed size, its smallest; larger, the list grows.
    void MakeResizable(QWidget* client, QSize opening);
    void FollowClientSize();
    void BuildListMenu();
    // The list's menu entries that cannot run now are greyed: nothing runs
    // beside a request, and there is nothing to save before a Connect.
    void UpdateListMenu();
    QString ChooseFile(const QString& title, const QString& suggested,
                       const QString& filter = QString());
    // Saves bytes whole as target, or says why not; never over the adapter log.
    bool SaveFile(const QString& what, const QString& target, const QByteArray& bytes);
    enum class Operation { None, Connect, View, Clear };
    // Each handler's operation starts with nothing read and nothing failed.
    void BeginOperation(Operation operation);
    void EndOperation();
    // Where the window stands, for the table of what each input does.
    Moment CurrentMoment() const;
    // Asks the table what the input does now and does all but its own action:
    // true when the input's handler is to act.
    bool Admit(Input input);
    void Quit();
    // The words of a stop, the same whatever it stopped.
    QString StoppedWords() const;
    // The busy indicator (what is waited for, and how long it may still
    // take) and the stop: a second click on Connect, or Escape.
    void BuildWaitAndStop();
    void BusyChanged();
    void ShowWaiting();
    void StopOperation();
    void ConnectSteps();
    void DisconnectSteps();
    void ShowDisconnected();
    void OnPortClosed(MSComm::CloseReason reason);
    void ShowPortLost();
    void ReportFailure(const LinkError& error, const QString& operation, const QString& outcome);
    bool LinkIsGone(const LinkError& error) const;
    void StartLogSession();
    // At the end of each operation: what the window shows goes to the log, and
    // what this connection read to the job card.
    void RecordWhatIsShown();
    // The facts on the window, while they are this connection's, before a
    // disconnect empties them.
    void NoteShownFacts();
    // The cluster confirmed Clear DTC: the card keeps what it had seen before.
    void RecordErase();
    // Clear DTC only erases codes this connection has listed; otherwise its
    // tooltip says to press View DTC first.
    void GateClearButton();
    void ShowListMenu();
    QStringList ListedLines() const;
    // Facts read in an earlier connection say when and from where, until a read replaces them.
    void NoteWhereFactsCameFrom();
    // After Clear DTC: how many were erased, and which came back.
    void SayClearOutcome(const QStringList& before, const QString& countBefore);

    Operation m_operation = Operation::None; // the one that runs; None: no wait
    bool m_listing = false;                  // Connect has come to the list
    bool m_stopped = false;                  // the user stopped the operation that runs
    bool m_quitAfterAnswer = false;          // Exit came while Clear DTC's request was out
    EraseProgress m_erase;                   // how far Clear DTC got: once sent, it is not stopped
    QString m_waitStep;                      // the step that runs now
    QString m_waitWords;                     // ...and what the bar says of it (the cluster is busy)
    int m_waitBoundMs = 0;                   // ...at most this long
    QElapsedTimer m_waitSince;
    QTimer m_waitClock; // the indicator counts down
    bool m_exiting = false;
    static constexpr int StoppedMessageMs = 10000; // the words of a stop stay this long
    QPointer<Setup_Form> m_setup;
    QPointer<frmAbout> m_about;
    std::function<void()> m_exitAction;
    FileChooser m_chooseFile;
    PrinterChooser m_choosePrinter;
    AdapterLog m_log;
    JobCard m_card;
    // This connection, from the Connect click on.
    struct Facts {
        QString adapter, partNumber, model, count;
    };
    bool m_portOpened = false; // the window's facts are this connection's
    Facts m_read;              // what this connection read so far
    bool m_listRead = false;   // a list was read in this connection
    bool m_countIsOld = false; // the count shown is from before a confirmed Clear
    bool m_cardIsThisConnections = false;
    int m_connection = 0; // counts Connect clicks: which connection a fact is from
    struct Source {
        int connection = 0;
        QString said; // "read at 10:42 from COM 3 / 38400 (ELM327 v1.5)"
    };
    Source m_partFrom, m_listFrom; // where the part number and the list shown came from
    bool m_factsOld = false;       // the bar has said that they are from before
    std::vector<std::pair<QWidget*, QRect>> m_placed; // each control at the opening size
    QSize m_opening;
    // The operation that runs.
    bool m_listTaken = false;         // it read the list (perhaps in part)
    QString m_listNote;               // the list arrived incomplete: the message
    std::optional<QString> m_failure; // it failed: the message (empty if none was shown)
};

// "2 erased; B1201 came back: that fault is still present."
QString ClearOutcomeWords(qsizetype erased, const QStringList& cameBack);

// "VORKEL v1.00" for version 1.0.0: no point between minor and revision.
QString WindowCaption(const QString& product, int major, int minor, int revision);

// "VORKEL 1.0.0": the program as the log and the job card name it.
QString ProgramAndVersion();

} // namespace vorkel
