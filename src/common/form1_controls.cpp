#include "common/form1_controls.h"

#include <QPushButton>

namespace vorkel {

void EnableCodeButtons(Form1Controls& ui, bool view, bool clear) {
    ui.viewWanted = view;
    ui.clearWanted = clear;
    if (ui.codeButtonsHeld) return;
    ui.Command1->setEnabled(view);
    ui.DTC_Clear_Button->setEnabled(clear);
}

void HoldCodeButtons(Form1Controls& ui, bool hold) {
    if (hold == ui.codeButtonsHeld) return;
    // Disabled while held: a click cannot land, and a screen reader says "unavailable".
    if (hold) {
        ui.viewWanted = ui.Command1->isEnabled();
        ui.clearWanted = ui.DTC_Clear_Button->isEnabled();
        ui.Command1->setEnabled(false);
        ui.DTC_Clear_Button->setEnabled(false);
    } else {
        ui.Command1->setEnabled(ui.viewWanted);
        ui.DTC_Clear_Button->setEnabled(ui.clearWanted);
    }
    ui.codeButtonsHeld = hold;
}

} // namespace vorkel
