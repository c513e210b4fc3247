#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace vorkel {

class MSComm;

// The speeds adapters ship with, in the order they are tried.
inline constexpr int StandardSpeeds[] = {38400, 9600, 115200, 57600, 19200};
// The speeds Setup lists, in its order.
inline constexpr int SetupSpeeds[] = {9600, 38400, 115200};
bool SetupListsSpeed(int speed);

// How long a connection attempt waits for the adapter's answer to its reset.
inline constexpr int ConnectionTimeoutMs = 6000;

struct SpeedSearch {
    int configured = 0;
    std::vector<int> tried;   // the other speeds really asked, in order
    std::optional<int> found; // the speed at which the adapter answered
    // It answers at the configured speed too: a USB CDC, Bluetooth or WiFi
    // link, where the speed does not matter; the reset answer was only late.
    bool answersAtConfigured = false;
    // Something answered "OK" or "ERROR" but never the prompt: a modem, or
    // another device that is no ELM327-type adapter.
    bool answersLikeModem = false;
};

// Looks for the adapter at the other standard speeds on the open port, at
// most totalMs in all, shared so that every speed gets its turn: at each it
// asks "ATI" (the adapter names itself and changes nothing) and looks for the
// prompt. Where it answers, it is asked again at the configured speed. Ends
// early when the port closes; the port is left at the configured speed.
SpeedSearch FindAdapterSpeed(MSComm& comm, int configured, int fullMs = 1800);

// The second line of "Unable to Connect To ELM", and Check Adapter's verdict:
// the speed found, that the adapter answered late, or that nothing answered
// at the speeds tried.
QString SpeedSearchAdvice(const SpeedSearch& search);

// The speed to offer in one click ("Use 57600 baud"): the one found, when
// the adapter does not answer at the one configured.
std::optional<int> SpeedToOffer(const SpeedSearch& search);
QString UseSpeedCaption(int speed);

// A WiFi or Bluetooth adapter ("network adapter 192.168.0.10:35000")
// took the connection but did not answer its reset.
QString NetworkResetAdvice(const QString& adapter);

} // namespace vorkel
