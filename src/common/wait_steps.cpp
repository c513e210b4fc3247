#include "common/wait_steps.h"

namespace vorkel {
namespace {

WaitObserver& Observer() {
    static WaitObserver observer;
    return observer;
}

} // namespace

void SetWaitObserver(WaitObserver observer) {
    Observer() = std::move(observer);
}

void TellWaiting(const QString& step, int boundMs) {
    if (Observer()) Observer()(step, boundMs);
}

} // namespace vorkel
