#include "app/form1.h"
#include "app/startup.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/twips.h"
#include "support/message_recorder.h"
#include "support/window_driver.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace vorkel;

class TestForm1 : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void controls_data();
    void controls();
    void tabOrder();
    void menus();
    void captionFromVersion_data();
    void captionFromVersion();
    void startState();
    void grows_data();
    void grows();
    void countLabelFont();
    void exitEndsTheProgram();
    void menuEntriesOpenOnAClick();
    void programWritesDefaultSettingsBesideItself();
    void settingsPortForScripts();
    void noDisplaySaysSo_data();
    void noDisplaySaysSo();
};

void TestForm1::initTestCase() {
    SetDialogFont();
}

void TestForm1::controls_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char* name, const char* container, const char* caption, int l, int t,
                        int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(container) << QString::fromLatin1(caption)
                            << QRect(l, t, w, h);
    };
    row("ClusterInfo", "client", "Cluster Type", 120, 2640, 1575, 615);
    row("ClusterInfotext", "ClusterInfo", "", 120, 240, 1335, 255);
    row("StatusBar1", "client", "", 0, 3285, 4200, 375);
    row("Command1", "client", "View DTC", 1080, 2040, 965, 495);
    row("Connect_Command", "client", "Connect", 60, 2040, 965, 495);
    row("Frame1", "client", "DTC #", 3240, 2640, 855, 615);
    row("DTC_label", "Frame1", "", 105, 240, 705, 315);
    row("Frame2", "client", "DTC List", 120, 0, 3975, 1935);
    row("DTC_List", "Frame2", "", 120, 240, 3735, 1620);
    row("Frame3", "client", "Cluster Part #", 1680, 2640, 1575, 615);
    row("Part_Label", "Frame3", "", 120, 240, 1335, 255);
    row("DTC_Clear_Button", "client", "Clear DTC", 2100, 2040, 965, 495);
    row("Command2", "client", "Exit", 3120, 2040, 965, 495);
}

void TestForm1::controls() {
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    Form1 form;
    auto* widget = form.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    if (auto* button = qobject_cast<QPushButton*>(widget))
        QCOMPARE(button->text(), caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(frame->title(), caption);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), caption);
    QVERIFY(widget->isEnabled() || widget == form.Command1); // the load handler disables View DTC
    QVERIFY(!widget->isHidden());
}

void TestForm1::tabOrder() {
    Form1 form;
    form.show();
    // The controls that take the focus, in tab-index order.
    const QList<QWidget*> expected{form.Command1, form.Connect_Command, form.DTC_List,
                                   form.DTC_Clear_Button, form.Command2};
    for (qsizetype i = 0; i + 1 < expected.size(); ++i)
        QCOMPARE(windowdriver::NextTabStop(expected[i]), expected[i + 1]);
}

void TestForm1::menus() {
    Form1 form;
    const QList<QAction*> actions = form.menuBar()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->objectName(), QStringLiteral("mnu_Setup"));
    QCOMPARE(actions[0]->text(), QStringLiteral("Setup"));
    QVERIFY(!actions[0]->menu());
    QCOMPARE(actions[1]->objectName(), QStringLiteral("mnu_About"));
    QCOMPARE(actions[1]->text(), QStringLiteral("About"));
    QCOMPARE(form.Timer1->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(form.MSComm1->objectName(), QStringLiteral("MSComm1"));
    QCOMPARE(form.centralWidget()->size(), QSize(280, 244));
    QCOMPARE(form.StatusBar1->panel(1)->width(), TwipsToPixels(1300));
}

void TestForm1::captionFromVersion_data() {
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1.0.0") << 0 << 0 << "VORKEL v1.00";
    QTest::newRow("1.3.12") << 3 << 12 << "VORKEL v1.312";
}

void TestForm1::captionFromVersion() {
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, caption);
    QCOMPARE(WindowCaption(QStringLiteral("VORKEL"), 1, minor, revision), caption);
}

void TestForm1::startState() {
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/VORKEL.INI"));
    CommPortNumber = 0;
    CommSpeed.clear();
    AdapterState = 7;
    Form1 form;
    MessageRecorder messages;
    Main(form);
    QCOMPARE(form.windowTitle(), QStringLiteral("VORKEL v1.00"));
    QVERIFY(form.isVisible());
    QCOMPARE(form.StatusBar1->panelText(1), QString());
    QCOMPARE(form.StatusBar1->panelText(2), QStringLiteral("COM 1 / 9600"));
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    QVERIFY(!form.Command1->isEnabled());
    QVERIFY(!form.DTC_Clear_Button->isEnabled());
    QVERIFY(form.Connect_Command->isEnabled());
    QVERIFY(form.Command2->isEnabled());
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Connect"));
    QCOMPARE(AdapterState, AdapterNotInitialised);
    QVERIFY(form.ClusterInfotext->text().isEmpty());
    QVERIFY(form.Part_Label->text().isEmpty());
    QVERIFY(form.DTC_label->text().isEmpty());
    QCOMPARE(form.DTC_List->count(), 0);
    // The empty list says why, to the eye and to a screen reader, with no entry of its own.
    auto* placeholder = form.DTC_List->viewport()->findChild<QLabel*>();
    QVERIFY(placeholder && placeholder->isVisible());
    QCOMPARE(placeholder->text(), QStringLiteral("Not read yet"));
    QCOMPARE(form.DTC_List->accessibleDescription(), QStringLiteral("Not read yet"));
    form.DTC_List->addItem(QStringLiteral("B1201,Fuel Sender Circuit Failure"));
    QVERIFY(!placeholder->isVisible());
    QCOMPARE(form.DTC_List->accessibleDescription(), QString());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(messages.messages().isEmpty());
}

void TestForm1::grows_data() {
    QTest::addColumn<QSize>("asked"); // the client area asked for, in pixels
    QTest::addColumn<QSize>("extra"); // what the list gains
    QTest::newRow("smaller than designed") << QSize(150, 120) << QSize(0, 0);
    QTest::newRow("as designed") << QSize(280, 244) << QSize(0, 0);
    QTest::newRow("twice the width") << QSize(560, 244) << QSize(280, 0);
    QTest::newRow("taller") << QSize(280, 400) << QSize(0, 156);
}

void TestForm1::grows() {
    QFETCH(QSize, asked);
    QFETCH(QSize, extra);
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // It opens at its designed size, which is also its smallest.
    QCOMPARE(form.centralWidget()->size(), QSize(280, 244));
    form.resize(form.size() - form.centralWidget()->size() + asked);
    QTRY_COMPARE_WITH_TIMEOUT(form.centralWidget()->size(), QSize(280, 244) + extra, 2000);
    const auto grown = [&extra](QRect twips) {
        return twips.adjusted(0, 0, extra.width(), extra.height());
    };
    const QSize down(0, extra.height());
    QCOMPARE(form.Frame2->geometry(), grown(TwipsRect(120, 0, 3975, 1935)));
    QCOMPARE(form.DTC_List->geometry(), grown(TwipsRect(120, 240, 3735, 1620)));
    QCOMPARE(form.Connect_Command->geometry(),
             TwipsRect(60, 2040, 965, 495).translated(0, down.height()));
    QCOMPARE(form.Frame1->geometry(), TwipsRect(3240, 2640, 855, 615).translated(0, down.height()));
    QCOMPARE(form.DTC_label->geometry(), TwipsRect(105, 240, 705, 315));
    QCOMPARE(form.StatusBar1->geometry(), TwipsRect(0, 3285, 4200, 375)
                                              .translated(0, down.height())
                                              .adjusted(0, 0, extra.width(), 0));
    QCOMPARE(form.StatusBar1->panel(1)->width(), TwipsToPixels(1300));
}

void TestForm1::countLabelFont() {
    Form1 form;
    QVERIFY(form.DTC_label->font().bold());
    QCOMPARE(form.DTC_label->font().pointSizeF(), 9.75);
    QVERIFY(form.DTC_label->alignment() & Qt::AlignHCenter);
}

void TestForm1::exitEndsTheProgram() {
    Form1 form;
    bool ended = false;
    form.setExitAction([&] { ended = true; });
    form.show();
    QTest::mouseClick(form.Command2, Qt::LeftButton);
    QVERIFY(ended);
    QVERIFY(!form.isVisible());
}

void TestForm1::menuEntriesOpenOnAClick() {
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (QAction* action : form.menuBar()->actions()) {
        const QRect where = form.menuBar()->actionGeometry(action);
        QTest::mouseClick(form.menuBar(), Qt::LeftButton, {}, where.center());
        QTest::qWait(50);
    }
    QVERIFY(form.SetupDialog());
    QVERIFY(form.AboutDialog());
    QTRY_VERIFY(form.AboutDialog()->isVisible());
}

void TestForm1::programWritesDefaultSettingsBesideItself() {
    // The real program, copied into an empty folder and started there.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("vorkel"));
    QVERIFY(QFile::copy(QStringLiteral(VORKEL_BINARY), program));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, {});
    QVERIFY(process.waitForStarted(10000));
    const QString ini = dir.filePath(QStringLiteral("VORKEL.INI"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(ini).size() > 0, 10000);
    process.kill();
    process.waitForFinished(5000);
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("VORKEL v1.00 INI File\r\nComPort=COM1\r\nComSpeed=9600\r\n"));
}

void TestForm1::settingsPortForScripts() {
    // Scripts ask the program which port it will use, read by its own rules.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("vorkel"));
    QVERIFY(QFile::copy(QStringLiteral(VORKEL_BINARY), program));
    QFile ini(dir.filePath(QStringLiteral("VORKEL.INI")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("VORKEL v1.00 INI File\ncomport=com33.4\nComSpeed=38400\nNetwork=10.0.0.1:35000\n");
    ini.close();
    QProcess process;
    process.start(program, {QStringLiteral("--settings-port")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("33"));
    // scripts/start tells that the simulator's port, not this adapter, is used for its run.
    process.start(program, {QStringLiteral("--settings-network")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("10.0.0.1:35000"));
}

void TestForm1::noDisplaySaysSo_data() {
    QTest::addColumn<QString>("display"); // empty: none at all
    QTest::newRow("no DISPLAY") << QString();
    QTest::newRow("a DISPLAY nobody answers") << QStringLiteral(":97");
}

void TestForm1::noDisplaySaysSo() {
    QFETCH(QString, display);
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("vorkel"));
    QVERIFY(QFile::copy(QStringLiteral(VORKEL_BINARY), program));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, {});
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit); // no abort, no core
    QCOMPARE(process.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("VORKEL needs a graphical desktop")), qPrintable(said));
    QVERIFY2(!said.contains(QStringLiteral("Reinstalling")), qPrintable(said));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
