#include "about/frm_about.h"

#include "common/controls.h"
#include "version.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace vorkel {
namespace {

QFrame* MakeLine(QWidget* parent, const char* name, const QColor& colour, QRect rect) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setGeometry(rect);
    return line;
}

} // namespace

QString AboutVersionText(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString AboutDescriptionText() {
    return QStringLiteral("This program can be used on the following cars:\r\n"
                          "2002 - 2008 BA/BF Falcon Series\r\n"
                          "2004 - 2010 SX/SY Territory Series\r\n");
}

QString AboutDisclaimerText() {
    return QStringLiteral(" Warning: This program may damage your instrument cluster!  Use at own "
                          "risk.  I take no responsibility for incorrect use or damage that may be "
                          "caused by this program, directly or indirectly");
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    PrepareDialog(this, "frmAbout", 5730, 3210);

    cmdOK = MakeButton(this, "cmdOK", "OK", TwipsRect(4245, 2400, 1260, 345));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);

    picIcon = MakeLabel(this, "picIcon", TwipsRect(120, 120, 480, 480));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/vorkel.xpm")));
    picIcon->setAccessibleName(QStringLiteral("%1 icon").arg(QLatin1String(ProductName)));

    lblDescription = MakeLabel(this, "lblDescription", TwipsRect(1050, 720, 3885, 1170));
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblDisclaimer = MakeLabel(this, "lblDisclaimer", TwipsRect(240, 2160, 3870, 945));
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setWordWrap(true);

    lblTitle = MakeLabel(this, "lblTitle", TwipsRect(1050, 240, 3885, 240));
    lblVersion = MakeLabel(this, "lblVersion", TwipsRect(1050, 480, 3885, 225));

    // Grey under white, one pixel apart: an etched line between description and warning.
    Line1_1 = MakeLine(
        this, "Line1_1", QColor(128, 128, 128),
        QRect(TwipsToPixels(90), TwipsToPixels(2040), TwipsToPixels(5654) - TwipsToPixels(90), 1));
    Line1_0 = MakeLine(this, "Line1_0", Qt::white,
                       QRect(TwipsToPixels(120), TwipsToPixels(2040) + 1,
                             TwipsToPixels(5669) - TwipsToPixels(120), 2));

    // Only the button takes the focus; Enter and Escape both close the box.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    Form_Load();
}

void frmAbout::Form_Load() {
    const QString product = QString::fromLatin1(ProductName);
    setWindowTitle(QStringLiteral("About ") + product);
    lblVersion->setText(AboutVersionText(VersionMajor, VersionMinor, VersionRevision));
    lblTitle->setText(product);
    lblDescription->setText(AboutDescriptionText());
    lblDisclaimer->setText(AboutDisclaimerText());
}

} // namespace vorkel
