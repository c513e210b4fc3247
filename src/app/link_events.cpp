// What the window does when the link changes under it: the connection
// time-out, a port closed or lost, and a check holding the adapter.
#include "app/form1.h"

#include "common/message_box.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "link/link_error.h"
#include "link/speed_search.h"
#include "settings/ini_handler.h"
#include "settings/setup_form.h"

#include <QTimer>

namespace vorkel {

void Form1::OnPortClosed(MSComm::CloseReason reason) {
    // Whoever closed the port (Disconnect, the Setup dialog, an unplugged
    // adapter), the window must not go on saying it is connected, and an
    // attempt's time-out ends with its port: it never fires on what runs next.
    Timer1->stop();
    ShowDisconnected();
    if (reason == MSComm::CloseReason::Lost && !m_exiting && Admit(Input::PortLost)) ShowPortLost();
}

void Form1::ShowPortLost() {
    Message message;
    message.title = QStringLiteral("VORKEL");
    message.text = QStringLiteral("The connection to the adapter was lost.");
    message.informative = LostLinkAdvice(MSComm1->Kind());
    ShowMessage(message);
}

void Form1::Timer1_Timer() {
    // Stopped before the box, so a second expiry cannot show a second box.
    Timer1->stop();
    if (!Admit(Input::Timer1)) return;
    // The adapter did not answer at the chosen speed: perhaps it answers at
    // another. Over the network there is no speed to choose.
    std::optional<SpeedSearch> search;
    if (MSComm1->IsSerial()) search = FindAdapterSpeed(*MSComm1, CommSpeed.toInt());
    // The search is over: the bar goes back to the reset, whose bound has passed.
    m_waitWords = m_waitStep;
    ShowWaiting();
    const QString advice =
        search ? SpeedSearchAdvice(*search) : NetworkResetAdvice(MSComm1->LinkName());
    // Exit, or Setup closing the port, during the search ended the attempt: nothing to tell.
    // An adapter unplugged during it is told as such.
    if (!m_exiting && !MSComm1->PortOpen() &&
        MSComm1->LastCloseReason() == MSComm::CloseReason::Lost) {
        ShowPortLost();
    } else if (!m_exiting && MSComm1->PortOpen()) {
        Message message;
        message.text = QStringLiteral("Unable to Connect To ELM");
        message.title = QStringLiteral("Error!");
        message.informative = advice;
        message.icon = MessageIcon::Critical;
        // The speed found, in one click, saved as Setup's Save saves it.
        if (const std::optional<int> speed = search ? SpeedToOffer(*search) : std::nullopt) {
            message.actionCaption = UseSpeedCaption(*speed);
            message.action = [this, speed] { SaveSpeed(StatusBar1, QString::number(*speed)); };
        }
        ShowMessage(message);
    }
    AdapterState = AdapterTimedOut;
}

} // namespace vorkel
