#include "app/form1.h"
#include "app/quit_signals.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    vorkel::SetDialogFont();
    vorkel::Form1 form;
    vorkel::Main(form);
    vorkel::EndOnQuitSignals(form);
    return QApplication::exec();
}
