// Every text the windows show fits its place, measured with the fonts in use:
// the controls keep their sizes, so the texts must fit them.
#include "about/frm_about.h"
#include "app/form1.h"
#include "app/startup.h"
#include "cluster/model_table.h"
#include "common/message_box.h"
#include "common/status_bar.h"
#include "personalities.h"
#include "settings/settings_file.h"
#include "settings/setup_form.h"

#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

using namespace vorkel;

namespace {

// The width a text needs in a widget, and the width the widget offers it.
struct Room {
    int needed = 0;
    int offered = 0;
};

Room RoomFor(QWidget* widget, const QString& text) {
    const QFontMetrics metrics(widget->font());
    Room room;
    room.needed = metrics.horizontalAdvance(text);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        room.offered = button->width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin);
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        room.offered = box->width() - 16; // the frame's corners and the title's own margins
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        room.offered = label->contentsRect().width() - 2 * label->margin() - label->indent();
    }
    return room;
}

} // namespace

class TestTextsFit : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void fits_data();
    void fits();
    void wrappedAboutTextsFit();
    void messageBoxIsWideEnough();

  private:
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<Setup_Form> m_setup;
};

void TestTextsFit::initTestCase() {
    SetDialogFont();
    // The fonts the package brings: the test must not pass on another font.
    QVERIFY2(QFontInfo(QApplication::font()).family().startsWith(QStringLiteral("Liberation Sans")),
             qPrintable(QFontInfo(QApplication::font()).family()));
    m_form = std::make_unique<Form1>();
    m_form->show();
    m_setup = std::make_unique<Setup_Form>(nullptr, nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestTextsFit::fits_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* place, const QString& text) {
        QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(place), text)))
            << QString::fromLatin1(place) << text;
    };
    for (int port = 1; port <= 255; ++port)
        for (const char* speed : {"9600", "38400", "115200", "500000"})
            row("Panel2",
                SettingsStatusText(static_cast<std::int16_t>(port), QLatin1String(speed)));
    for (const vorkelsim::Personality& p : vorkelsim::Personalities()) {
        vorkelsim::SimOptions options;
        p.apply(options);
        row("Panel1", options.banner);
    }
    for (const char* state : {"Not Connected", "Connecting...", "Connected"})
        row("Panel3", QLatin1String(state));
    QSet<QString> models;
    for (const char* prefix : {"3R23", "3R73", "5R29", "5R79"})
        for (int code = 0; code < 256; ++code)
            if (const ModelRow* m =
                    FindModelRow(QLatin1String(prefix),
                                 QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper()))
                models.insert(QLatin1String(m->name));
    QVERIFY(!models.isEmpty());
    for (const QString& model : models)
        row("ClusterInfotext", model);
    row("Part_Label", QStringLiteral("5R29-999999-BM"));
    row("DTC_label", QStringLiteral("255"));
    for (const char* name : {"Connect_Command", "Command1", "DTC_Clear_Button", "Command2"})
        row(name, QString());
    row("Connect_Command", QStringLiteral("Disconnect"));
    for (const char* name : {"ClusterInfo", "Frame1", "Frame2", "Frame3"})
        row(name, QString());
    for (const char* name :
         {"Setup:Frame1", "Setup:Frame2", "Setup:SaveConfig", "Setup:SetupCancel"})
        row(name, QString());
}

void TestTextsFit::fits() {
    QFETCH(QString, place);
    QFETCH(QString, text);
    QWidget* widget = nullptr;
    if (place.startsWith(QLatin1String("Panel")))
        widget = m_form->StatusBar1->panel(place.right(1).toInt());
    else if (place.startsWith(QLatin1String("Setup:")))
        widget = m_setup->findChild<QWidget*>(place.mid(6));
    else
        widget = m_form->findChild<QWidget*>(place);
    QVERIFY(widget);
    QString shown = text;
    if (shown.isEmpty()) {
        if (auto* button = qobject_cast<QPushButton*>(widget)) shown = button->text();
        if (auto* box = qobject_cast<QGroupBox*>(widget)) shown = box->title();
    }
    const Room room = RoomFor(widget, shown);
    QVERIFY2(room.needed <= room.offered,
             qPrintable(QStringLiteral("\"%1\" needs %2 px, has %3 (%4)")
                            .arg(shown)
                            .arg(room.needed)
                            .arg(room.offered)
                            .arg(QFontInfo(widget->font()).family())));
}

void TestTextsFit::wrappedAboutTextsFit() {
    frmAbout about;
    about.show();
    for (QLabel* label : about.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        const QFontMetrics metrics(label->font());
        const QRect needed = metrics.boundingRect(
            QRect(0, 0, label->contentsRect().width(), 10000),
            int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
        QVERIFY2(needed.width() <= label->contentsRect().width() &&
                     needed.height() <= label->contentsRect().height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3, has %4x%5")
                                .arg(label->objectName())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(label->contentsRect().width())
                                .arg(label->contentsRect().height())));
    }
}

void TestTextsFit::messageBoxIsWideEnough() {
    // A short caption above a long piece of advice.
    Message message;
    message.title = QStringLiteral("Error!");
    message.text = QStringLiteral("Unable to Connect To ELM");
    message.informative = QStringLiteral("Nothing answered at 9600, 19200, 38400, 57600 or 115200 "
                                         "baud: check the cable, the ignition and the port.");
    QMessageBox box;
    SetUpMessageBox(box, message);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QFontMetrics metrics(box.font());
    for (const QLabel* label : box.findChildren<QLabel*>()) {
        if (label->text() == message.informative)
            QVERIFY2(label->width() >= 45 * metrics.averageCharWidth(),
                     qPrintable(QString::number(label->width())));
    }
}

QTEST_MAIN(TestTextsFit)
#include "tst_texts_fit.moc"
