#include "app/startup.h"

#include "app/form1.h"
#include "common/app_folders.h"
#include "common/dialog_font.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/ini_handler.h"
#include "settings/settings_file.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>

namespace vorkel {

void SetDialogFont() {
    // Fixed-size controls do not grow with the font, so the font is fixed too.
    QFont font;
    font.setFamilies(DialogFontFamilies());
    font.setPointSize(8);
    QApplication::setFont(font);
}

QString SettingsFilePath() {
    return QDir(ChooseSettingsFolder(QCoreApplication::applicationDirPath(), UserConfigFolder()))
        .filePath(QStringLiteral("VORKEL.INI"));
}

void Main(Form1& form) {
    form.setWindowTitle(WindowCaption(QString::fromLatin1(ProductName), VersionMajor, VersionMinor,
                                      VersionRevision));
    IniFilePath =
        QDir(ChooseSettingsFolder(QCoreApplication::applicationDirPath(), UserConfigFolder()))
            .filePath(QStringLiteral("VORKEL.INI"));
    LoadSettings(form.StatusBar1);
    form.StatusBar1->setPanelText(2, SettingsStatusText(CommPortNumber, CommSpeed));
    form.StatusBar1->setPanelText(3, QStringLiteral("Not Connected"));
    form.DTC_Clear_Button->setEnabled(false);
    form.Command1->setEnabled(false);
    AdapterState = AdapterNotInitialised;
    form.show();
}

} // namespace vorkel
