#include "app/quit_signals.h"

#include "app/form1.h"

#include <QTimer>
#include <csignal>

namespace vorkel {
namespace {

// A signal handler may do next to nothing: it notes the signal, and the
// event loop acts on it.
volatile std::sig_atomic_t quitAsked = 0;

extern "C" void NoteQuitSignal(int) {
    quitAsked = 1;
}

} // namespace

void EndOnQuitSignals(Form1& form) {
    std::signal(SIGTERM, NoteQuitSignal);
    std::signal(SIGINT, NoteQuitSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, NoteQuitSignal);
#endif
    // The waits for the adapter turn the event loop too, so this is served in
    // the middle of a request as well.
    auto* watch = new QTimer(&form);
    watch->setInterval(100);
    QObject::connect(watch, &QTimer::timeout, &form, [&form, watch] {
        if (!quitAsked) return;
        watch->stop();
        form.Command2_Click();
    });
    watch->start();
}

} // namespace vorkel
