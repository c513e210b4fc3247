#pragma once

#include <QString>
#include <functional>

// What the program waits for now, told to whoever shows it (the main window's
// busy indicator): the step in words and how long it may last at most.
namespace vorkel {

// The steps, in the words the window shows.
inline constexpr const char* StepCalling = "Calling the adapter";
inline constexpr const char* StepResetting = "Resetting the adapter";
inline constexpr const char* StepSettingUp = "Setting the adapter up";
inline constexpr const char* StepIdentifying = "Reading the cluster's part number";
inline constexpr const char* StepReadingCodes = "Reading trouble codes";
inline constexpr const char* StepClearing = "Clearing the trouble codes";
// Not steps of their own: what lengthens the step that runs.
inline constexpr const char* StepClusterBusy = "The cluster is busy: waiting for its answer";
inline constexpr const char* StepTryingSpeeds = "No answer: trying the adapter at other speeds";

using WaitObserver = std::function<void(const QString& step, int boundMs)>;

// One observer at a time; an empty one: nobody is told.
void SetWaitObserver(WaitObserver observer);

// "Resetting the adapter", within boundMs from now.
void TellWaiting(const QString& step, int boundMs);

} // namespace vorkel
