#pragma once

#include "common/form1_controls.h"
#include "dtc/dtc_clear.h"
#include "link/reading_view.h"

#include <QString>
#include <functional>

class QListWidget;

// The window's steps: each reads through the reading below it and shows what
// was read, as it arrives, in the window's controls.
namespace vorkel {

// The reading's facts, shown where the window keeps them.
class WindowView : public ReadingView {
  public:
    explicit WindowView(Form1Controls& ui) : m_ui(ui) {}
    void PortOpened() override;
    void LinkNamed(const QString& name) override;
    void Connecting() override;
    void AdapterAnswered(const QString& banner) override;
    void ModelNamed(const QString& model) override;
    void Identified(const QString& partNumber) override;
    void Counted(int count) override;
    void Connected() override;
    void ListEmptied() override;
    void Listed(const QStringList& lines) override;

  private:
    Form1Controls& m_ui;
};

// The connection attempt, shown: "Connecting...", the banner, the part
// number and model (the button then reads "Disconnect"), the count, "Connected".
void ConnectAdapter(Form1Controls& ui, const std::function<void()>& portOpened = {});

// The identification, shown in Part_Label and ClusterInfotext.
void IdentifyCluster(Form1Controls& ui);

// Names the model from the 0xE219 reply's data text and shows it in clusterInfo (when given).
void ClusterTypeName(const QString& replyData, ValueLabel* clusterInfo);

// The count in DTC_label: green for none, red otherwise.
void ReadDtcCount(Form1Controls& ui);

// The list read again into DTC_List; throws IncompleteList after showing
// what came when the list was cut short.
void ReadDtcList(Form1Controls& ui);

// Adds the lines of DtcCodes 1..DtcCount to the list.
void ListDtcDescriptions(QListWidget* list);

// Erases the codes, then reads the count and the list again and sets the two
// DTC buttons; a refusal leaves count, list and buttons as they were.
void ClearDtcCodes(Form1Controls& ui);
// Its two halves: the erase request, then the count, the buttons and the list.
// countRead, when given, receives the count once it has been read.
void EraseDtcCodes(Form1Controls& ui, EraseProgress* progress);
void ShowCodesAfterClearing(Form1Controls& ui, QString* countRead = nullptr);

} // namespace vorkel
