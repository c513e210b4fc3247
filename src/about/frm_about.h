#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace vorkel {

// The About box: icon, product name, version, the cars it is meant for and
// the warning. Its texts are built each time it is opened.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

    QPushButton* cmdOK = nullptr;
    QLabel* picIcon = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QFrame* Line1_0 = nullptr; // white, 2 pixels: with Line1_1 an etched separator
    QFrame* Line1_1 = nullptr; // grey, 1 pixel

  private:
    void Form_Load();
};

QString AboutVersionText(int major, int minor, int revision);
QString AboutDescriptionText();
QString AboutDisclaimerText();

} // namespace vorkel
