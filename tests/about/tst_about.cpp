#include "about/frm_about.h"
#include "app/form1.h"
#include "common/twips.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace vorkel;

class TestAbout : public QObject {
    Q_OBJECT
  private slots:
    void layout_data();
    void layout();
    void texts();
    void versionText_data();
    void versionText();
    void keysClose_data();
    void keysClose();
    void singleInstance();
};

void TestAbout::layout_data() {
    QTest::addColumn<QRect>("twips");
    QTest::newRow("cmdOK") << QRect(4245, 2400, 1260, 345);
    QTest::newRow("picIcon") << QRect(120, 120, 480, 480);
    QTest::newRow("lblDescription") << QRect(1050, 720, 3885, 1170);
    QTest::newRow("lblDisclaimer") << QRect(240, 2160, 3870, 945);
    QTest::newRow("lblTitle") << QRect(1050, 240, 3885, 240);
    QTest::newRow("lblVersion") << QRect(1050, 480, 3885, 225);
}

void TestAbout::layout() {
    QFETCH(QRect, twips);
    frmAbout about;
    QCOMPARE(about.size(), QSize(TwipsToPixels(5730), TwipsToPixels(3210)));
    auto* widget = about.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QVERIFY(about.cmdOK->isDefault());
    QCOMPARE(about.picIcon->pixmap().size(), QSize(32, 32));
    // The separator: two lines at the same height, white over grey.
    QCOMPARE(about.Line1_0->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(about.Line1_1->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(about.Line1_0->height(), 2);
    QCOMPARE(about.Line1_1->height(), 1);
}

void TestAbout::texts() {
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About VORKEL"));
    QCOMPARE(about.lblTitle->text(), QStringLiteral("VORKEL"));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 1.0.0"));
    QCOMPARE(about.lblDescription->text(),
             QStringLiteral(
                 "This program can be used on the following cars:\r\n2002 - 2008 BA/BF Falcon "
                 "Series\r\n2004 - 2010 SX/SY Territory Series\r\n"));
    QCOMPARE(about.lblDisclaimer->text().toLatin1(),
             QByteArray(
                 " Warning: This program may damage your instrument cluster!  Use at own risk.  I "
                 "take no responsibility for incorrect use or damage that may be caused by this "
                 "program, directly or indirectly"));
    QVERIFY(about.lblDisclaimer->wordWrap());
    QCOMPARE(about.cmdOK->text(), QStringLiteral("OK"));
}

void TestAbout::versionText_data() {
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.0.0") << 0 << 0 << "Version 1.0.0";
    QTest::newRow("1.3.12") << 3 << 12 << "Version 1.3.12";
}

void TestAbout::versionText() {
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(AboutVersionText(1, minor, revision), text);
}

void TestAbout::keysClose_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void TestAbout::keysClose() {
    QFETCH(int, key);
    QPointer<frmAbout> about = new frmAbout();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTest::keyClick(about->lblDescription, Qt::Key(key));
    QTRY_VERIFY(about.isNull() || !about->isVisible());
    QTRY_VERIFY(about.isNull());
}

void TestAbout::singleInstance() {
    Form1 form;
    form.mnu_About->trigger();
    frmAbout* first = form.AboutDialog();
    QVERIFY(first);
    QVERIFY(!first->isModal());
    form.mnu_About->trigger();
    QCOMPARE(form.AboutDialog(), first);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<frmAbout*>(w) != nullptr; }),
             1);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
