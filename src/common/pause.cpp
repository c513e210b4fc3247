#include "common/pause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace vorkel {
namespace {

bool& PausesSkipped() {
    static bool skipped = false;
    return skipped;
}

double& Factor() {
    static double factor = 1.0;
    return factor;
}

} // namespace

void SetPausesSkipped(bool skipped) {
    PausesSkipped() = skipped;
}

int Scaled(int milliseconds) {
    return Factor() == 1.0 ? milliseconds : static_cast<int>(milliseconds * Factor() + 0.5);
}

void SetTimeScale(double factor) {
    Factor() = factor;
}

double TimeScale() {
    return Factor();
}

void Pause(int milliseconds) {
    if (milliseconds > 0 && !PausesSkipped())
        QThread::msleep(static_cast<unsigned long>(Scaled(milliseconds)));
}

void YieldToEventLoop(bool waitForEvents) {
    QCoreApplication::processEvents(waitForEvents ? QEventLoop::WaitForMoreEvents
                                                  : QEventLoop::AllEvents);
}

} // namespace vorkel
