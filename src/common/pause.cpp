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

} // namespace

void SetPausesSkipped(bool skipped) {
    PausesSkipped() = skipped;
}

void Pause(int milliseconds) {
    if (milliseconds > 0 && !PausesSkipped())
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void YieldToEventLoop(bool waitForEvents) {
    QCoreApplication::processEvents(waitForEvents ? QEventLoop::WaitForMoreEvents
                                                  : QEventLoop::AllEvents);
}

} // namespace vorkel
