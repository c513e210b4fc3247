#include "app/window_steps.h"

#include "cluster/cluster_functions.h"
#include "cluster/cluster_state.h"
#include "common/mscomm.h"
#include "common/pause.h"
#include "common/status_bar.h"
#include "common/value_label.h"
#include "connection/adapter_connection.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_descriptions.h"
#include "dtc/dtc_list.h"
#include "link/link_error.h"

#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

namespace vorkel {

void WindowView::PortOpened() {
    m_ui.facts = {};
    m_ui.Part_Label->setText(QString());
    m_ui.ClusterInfotext->setText(QString());
    m_ui.DTC_label->setText(QString());
    m_ui.DTC_List->clear();
}

void WindowView::LinkNamed(const QString& name) {
    m_ui.StatusBar1->setPanelText(2, name);
}

void WindowView::Connecting() {
    m_ui.StatusBar1->setPanelText(3, QStringLiteral("Connecting..."));
}

void WindowView::AdapterAnswered(const QString& banner) {
    m_ui.facts.adapter = banner;
    m_ui.StatusBar1->setPanelText(1, banner);
}

void WindowView::ModelNamed(const QString& model) {
    m_ui.facts.model = model;
    m_ui.ClusterInfotext->setText(model);
}

void WindowView::Identified(const QString& partNumber) {
    m_ui.facts.partNumber = partNumber;
    m_ui.Part_Label->setText(partNumber);
    // Only a completed identification makes the switch "Disconnect".
    m_ui.Connect_Command->setText(QStringLiteral("Disconnect"));
}

void WindowView::Counted(int count) {
    m_ui.facts.count = QString::number(count);
    QPalette palette = m_ui.DTC_label->palette();
    palette.setColor(QPalette::WindowText, count == 0 ? QColor(0, 255, 0) : QColor(255, 0, 0));
    m_ui.DTC_label->setPalette(palette);
    m_ui.DTC_label->setText(QString::number(count));
}

void WindowView::Connected() {
    m_ui.StatusBar1->setPanelText(3, QStringLiteral("Connected"));
}

void WindowView::ListEmptied() {
    m_ui.facts.lines.clear();
    m_ui.DTC_List->clear();
}

void WindowView::Listed(const QStringList& lines) {
    m_ui.facts.lines << lines;
    m_ui.DTC_List->addItems(lines);
}

void ConnectAdapter(Form1Controls& ui, const std::function<void()>& portOpened) {
    WindowView view(ui);
    ConnectToAdapter(*ui.MSComm1, *ui.Timer1, view, portOpened);
}

void IdentifyCluster(Form1Controls& ui) {
    WindowView view(ui);
    ReadClusterIdentity(*ui.MSComm1, view);
}

void ClusterTypeName(const QString& replyData, ValueLabel* clusterInfo) {
    NameCluster(replyData);
    if (clusterInfo) clusterInfo->setText(ClusterModel);
}

void ReadDtcCount(Form1Controls& ui) {
    WindowView(ui).Counted(ReadCodeCount(*ui.MSComm1));
}

void ReadDtcList(Form1Controls& ui) {
    WindowView view(ui);
    view.ListEmptied();
    const CodeList list = ReadCodeList(*ui.MSComm1, ui.DTC_label->text());
    view.Listed(list.lines);
    if (!list.complete) throw LinkError(LinkFailure::IncompleteList);
}

void ListDtcDescriptions(QListWidget* list) {
    if (list) list->addItems(DtcDescriptionLines());
}

void ClearDtcCodes(Form1Controls& ui) {
    EraseDtcCodes(ui, nullptr);
    ShowCodesAfterClearing(ui);
}

void EraseDtcCodes(Form1Controls& ui, EraseProgress* progress) {
    EraseProgress ignored;
    EraseCodes(*ui.MSComm1, progress ? *progress : ignored);
}

void ShowCodesAfterClearing(Form1Controls& ui, QString* countRead) {
    Pause(100);
    ReadDtcCount(ui);
    if (countRead) *countRead = ui.DTC_label->text();
    const bool codesLeft = ui.DTC_label->text() != QLatin1String("0");
    EnableCodeButtons(ui, codesLeft, codesLeft);
    if (codesLeft) ui.DTC_List->clear();
    Pause(100);
    ReadDtcList(ui);
}

} // namespace vorkel
