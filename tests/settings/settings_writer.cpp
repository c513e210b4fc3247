// Saves the settings file over and over, switching between two contents,
// until it is killed. The durability test kills it at random moments.
#include "common/shared_state.h"
#include "settings/ini_handler.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    vorkel::IniFilePath = QString::fromLocal8Bit(argv[1]);
    for (long i = 0;; ++i) {
        vorkel::CommPortNumber = (i % 2) ? 12 : 3;
        vorkel::CommSpeed = (i % 2) ? QStringLiteral("115200") : QStringLiteral("38400");
        vorkel::SaveSettings(nullptr);
        if (i == 0) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
