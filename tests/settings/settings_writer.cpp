// Saves the settings file over and over, switching between two contents,
// until it is killed. The durability test kills it at random moments.
#include "common/app_folders.h"
#include "common/shared_state.h"
#include "settings/ini_handler.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--choose") {
        // Where the settings go for a program in folder argv[2], and one save there.
        vorkel::IniFilePath = vorkel::ChooseSettingsFolder(QString::fromLocal8Bit(argv[2]),
                                                           QString::fromLocal8Bit(argv[3])) +
                              QStringLiteral("/VORKEL.INI");
        vorkel::CommPortNumber = 3;
        vorkel::CommSpeed = QStringLiteral("38400");
        const bool saved = vorkel::SaveSettings(nullptr);
        std::printf("%s %s\n", qPrintable(vorkel::IniFilePath), saved ? "saved" : "failed");
        return 0;
    }
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
