#pragma once

#include <QString>
#include <functional>

// What the program waits for now, told to whoever shows it (the main window's
// busy indicator): the step in words and how long it may last at most.
namespace vorkel {

using WaitObserver = std::function<void(const QString& step, int boundMs)>;

// One observer at a time; an empty one: nobody is told.
void SetWaitObserver(WaitObserver observer);

// "Resetting the adapter", within boundMs from now; an empty step: the step
// that runs may last longer (the cluster said it is busy).
void TellWaiting(const QString& step, int boundMs);

} // namespace vorkel
