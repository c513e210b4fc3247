#include "common/pause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace vorkel {

void Pause(int milliseconds) {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void YieldToEventLoop(bool waitForEvents) {
    QCoreApplication::processEvents(waitForEvents ? QEventLoop::WaitForMoreEvents
                                                  : QEventLoop::AllEvents);
}

} // namespace vorkel
