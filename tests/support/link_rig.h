#pragma once

#include "common/form1_controls.h"
#include "common/mscomm.h"
#include "common/status_bar.h"
#include "common/value_label.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

// The controls the link, cluster and trouble-code modules use, without the
// main window: what the link tests drive. Its connection time-out only marks
// the attempt as timed out; the window's message and speed search are not here.
class LinkRig {
  public:
    LinkRig();
    vorkel::Form1Controls& controls() { return m_controls; }

    QWidget root;
    QPushButton* Connect_Command;
    QPushButton* Command1;
    QPushButton* DTC_Clear_Button;
    QListWidget* DTC_List;
    vorkel::ValueLabel* DTC_label;
    vorkel::ValueLabel* Part_Label;
    vorkel::ValueLabel* ClusterInfotext;
    vorkel::StatusBar* StatusBar1;
    QTimer* Timer1;
    vorkel::MSComm* MSComm1;

  private:
    vorkel::Form1Controls m_controls;
};

// Opens COM<CommPortNumber> and sets the adapter up as a connection does
// (reset, CAN auto-formatting, protocol, header, headers on), without the
// connection's fixed pauses.
void OpenAndSetUp(vorkel::MSComm& comm);
