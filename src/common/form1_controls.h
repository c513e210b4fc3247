#pragma once

#include "common/value_label.h"

class QListWidget;
class QPushButton;
class QTimer;

namespace vorkel {

class MSComm;
class StatusBar;

// The main window's controls that the link, cluster and trouble-code modules
// read and write. The window owns them; this only points at them, so those
// modules never need the window's own header.
struct Form1Controls {
    QPushButton* Connect_Command = nullptr;
    QPushButton* Command1 = nullptr;         // "View DTC"
    QPushButton* DTC_Clear_Button = nullptr; // "Clear DTC"
    QListWidget* DTC_List = nullptr;
    ValueLabel* DTC_label = nullptr;
    ValueLabel* Part_Label = nullptr;
    ValueLabel* ClusterInfotext = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr; // the connection time-out
    MSComm* MSComm1 = nullptr;
};

} // namespace vorkel
