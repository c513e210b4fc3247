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

// A signal the program was started with ignored (nohup) stays ignored.
void NoteUnlessIgnored(int signal) {
    if (std::signal(signal, NoteQuitSignal) == SIG_IGN) std::signal(signal, SIG_IGN);
}

} // namespace

void EndOnQuitSignals(Form1& form) {
    NoteUnlessIgnored(SIGTERM);
    NoteUnlessIgnored(SIGINT);
#ifdef SIGHUP
    NoteUnlessIgnored(SIGHUP);
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
