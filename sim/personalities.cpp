#include "personalities.h"

namespace vorkelsim {
namespace {

void Genuine(SimOptions& o) {
    o.banner = QStringLiteral("ELM327 v1.4b");
    o.resetDelayMs = 1000; // the reset includes the LED test
    o.strict = true;
    o.padding = true;
    o.padByte = 0x00;
    o.trailingBlank = true;
}

void Clone15(SimOptions& o) {
    o.banner = QStringLiteral("ELM327 v1.5");
    o.resetDelayMs = 500;
    o.strict = false;
    o.padding = false;
    o.trailingBlank = true;
}

void Clone21(SimOptions& o) {
    o.banner = QStringLiteral("ELM327 v2.1");
    o.resetDelayMs = 100;
    o.strict = false;
    o.padding = false;
    o.trailingBlank = false;
}

void Stn(SimOptions& o) {
    o.banner = QStringLiteral("ELM327 v1.3a");
    o.resetDelayMs = 200;
    o.strict = true;
    o.padding = false;
    o.trailingBlank = true;
}

void BluetoothSlow(SimOptions& o) {
    Clone15(o);
    o.resetDelayMs = 1000;
    o.searching = true;
    o.searchMs = 1500;
    o.latencyMs = 250;
    o.latencyJitterMs = 100;
}

void BusyBus(SimOptions& o) {
    Clone15(o);
    o.otherUnits = true;
}

} // namespace

const std::vector<Personality>& Personalities() {
    static const std::vector<Personality> all = {
        {"genuine", "ELM327 v1.4b chip: a byte during a request stops it, padding shown",
         "data sheet: CR ends a command, any byte interrupts (STOPPED), H1 shows frames as "
         "received with their padding; reset with LED test about 1 s",
         Genuine},
        {"clone15", "the common \"ELM327 v1.5\" clone: stray LF ignored, no padding shown",
         "published byte logs of v1.5 clones: '7E8 06 41 00 BE 1F A8 13 \\r', reset 10-800 ms",
         Clone15},
        {"clone21", "\"ELM327 v2.1\" clone: no blank after a line's last byte, no padding",
         "published byte logs of v2.1 clones ('ATZ\\r\\r\\rELM327 v2.1'), lines without the "
         "trailing blank",
         Clone21},
        {"stn", "STN11xx-based adapter: answers ATZ as \"ELM327 v1.3a\", strict interrupt",
         "published logs of STN11xx adapters; the STN reference: CR ends a command, a byte "
         "during a request interrupts it",
         Stn},
        {"bt-slow", "Bluetooth link: reset after 1 s, 1.5 s SEARCHING..., 250-350 ms per answer",
         "published Bluetooth adapter logs ('SEARCHING...\\r7E8 ...'); radio links add 100-300 ms "
         "per answer",
         BluetoothSlow},
        {"busy-bus", "no receive filter: frames of 7E8, 72A and 7E9 among the cluster's",
         "published logs of several ECUs answering in one reply ('7EA ...\\r7E8 ...')", BusyBus},
    };
    return all;
}

bool ApplyPersonality(const QString& name, SimOptions& options) {
    for (const Personality& p : Personalities()) {
        if (name == QLatin1String(p.name)) {
            p.apply(options);
            return true;
        }
    }
    return false;
}

} // namespace vorkelsim
