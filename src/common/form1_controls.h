#pragma once

#include "common/value_label.h"

#include <QStringList>

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
    // While a wait runs, View DTC and Clear DTC are greyed: what the steps
    // make of them is kept here and shown once the wait is over.
    bool codeButtonsHeld = false;
    bool viewWanted = false;
    bool clearWanted = false;
    // What the reading told this connection, as it was told: the job card
    // takes its facts from here, not from the captions that show them.
    struct Facts {
        QString adapter, partNumber, model, count;
        QStringList lines;
    } facts{};
};

// Enables or disables View DTC and Clear DTC, or notes it for the end of the wait.
void EnableCodeButtons(Form1Controls& ui, bool view, bool clear);
// Greys both for a wait, or gives them back what the wait made of them.
void HoldCodeButtons(Form1Controls& ui, bool hold);

} // namespace vorkel
