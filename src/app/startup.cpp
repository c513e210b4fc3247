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
#include <QFileInfo>
#include <QPushButton>

namespace vorkel {

void SetDialogFont() {
    // Fixed-size controls do not grow with the font, so the font is fixed too.
    QFont font;
    font.setFamilies(DialogFontFamilies());
    font.setPointSize(8);
    QApplication::setFont(font);
}

SettingsFiles FindSettingsFiles() {
    const QString program = QCoreApplication::applicationDirPath();
    const QString config = UserConfigFolder();
    const QString chosen = ChooseSettingsFolder(program, config);
    const QString name = QStringLiteral("VORKEL.INI");
    return {QDir(chosen).filePath(name), QDir(chosen == program ? config : program).filePath(name)};
}

void Main(Form1& form) {
    form.setWindowTitle(WindowCaption(QString::fromLatin1(ProductName), VersionMajor, VersionMinor,
                                      VersionRevision));
    const SettingsFiles files = FindSettingsFiles();
    IniFilePath = files.chosen;
    form.AdapterLogFile().SetPath(
        QFileInfo(IniFilePath).dir().filePath(QStringLiteral("vorkel.log")));
    LoadSettings(form.StatusBar1, files.other);
    form.StatusBar1->setPanelText(2, CurrentSettingsText());
    form.StatusBar1->setPanelText(3, QStringLiteral("Not Connected"));
    EnableCodeButtons(form, false, false);
    AdapterState = AdapterNotInitialised;
    form.show();
}

} // namespace vorkel
