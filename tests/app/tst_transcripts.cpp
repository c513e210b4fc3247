// Adapter logs replayed through the real window: each file in
// tests/transcripts is one row, so a user's log becomes a test by being added
// there. Its "# expect ..." lines say what the window must show.
#include "app/form1.h"
#include "common/adapter_log.h"
#include "common/shared_state.h"
#include "link/exchange.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <optional>

using namespace vorkel;

namespace {

struct Shown {
    QString part;
    QString model;
    QStringList codes;  // the list after Connect and after View DTC
    QString message;    // a part of the first message; empty: none at all
    QString afterClear; // the count after Clear DTC; empty: not cleared
    QStringList said;   // every message, to be empty where none is expected
};

Shown Expected(const QString& path) {
    QFile file(path);
    QMap<QString, QString> said; // "# expect part: ..." and the like
    if (file.open(QIODevice::ReadOnly)) {
        static const QRegularExpression expect(QStringLiteral("^# expect ([a-z ]+): (.*)$"));
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QRegularExpressionMatch m = expect.match(QString::fromUtf8(raw).trimmed());
            if (m.hasMatch()) said[m.captured(1)] = m.captured(2);
        }
    }
    const QString codes = said.value(QStringLiteral("codes"));
    return {said.value(QStringLiteral("part")),
            said.value(QStringLiteral("model")),
            codes.isEmpty() ? QStringList() : codes.split(QStringLiteral("; ")),
            said.value(QStringLiteral("message")),
            said.value(QStringLiteral("after clear")),
            {}};
}

// Connect, then (when it connected) View DTC and Clear DTC, as a user would.
Shown Drive(Form1& form, bool clear) {
    MessageRecorder messages;
    Shown shown;
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    shown.part = form.Part_Label->text();
    shown.model = form.ClusterInfotext->text();
    shown.codes = windowdriver::ListLines(form);
    shown.message = messages.texts().value(0);
    if (form.Connect_Command->text() == QLatin1String("Disconnect")) {
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        if (windowdriver::ListLines(form) != shown.codes)
            shown.codes << QStringLiteral("(View differs)");
        if (clear) {
            QTest::mouseClick(form.DTC_Clear_Button, Qt::LeftButton);
            shown.afterClear = form.DTC_label->text();
        }
    }
    shown.said = messages.texts();
    return shown;
}

} // namespace

class TestTranscripts : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void replays_data();
    void replays();
    void logKeepsTheLastTenSessions();

  private:
    std::optional<ScopedTimeScale> m_scale; // every row runs at the quick factor
};

void TestTranscripts::replays_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("personality"); // a log recorded now, against that personality
    const QDir folder(QStringLiteral(TRANSCRIPTS_DIR));
    const QStringList logs = folder.entryList({QStringLiteral("*.log")}, QDir::Files);
    QVERIFY(logs.size() >= 11);
    for (const QString& name : logs)
        QTest::newRow(qPrintable(name)) << folder.filePath(name) << QString();
    // The program's own log of a session, replayed to a fresh program, shows the same.
    for (const char* name : {"genuine", "busy-bus", "bt-slow"})
        QTest::newRow(qPrintable(QStringLiteral("recorded now: %1").arg(QLatin1String(name))))
            << folder.filePath(QStringLiteral("recorded-%1.log").arg(QLatin1String(name)))
            << QString::fromLatin1(name);
}

void TestTranscripts::replays() {
    QFETCH(QString, path);
    QFETCH(QString, personality);
    const Shown expected = Expected(path);
    QTemporaryDir folder;
    if (!personality.isEmpty()) {
        path = folder.filePath(QStringLiteral("vorkel.log"));
        SimFixture fixture(SimFromArguments({QStringLiteral("--personality"), personality}));
        Form1 form;
        windowdriver::Start(form, fixture.comPort());
        form.AdapterLogFile().SetPath(path);
        QCOMPARE(Drive(form, true).said, QStringList());
    }
    const ScopedLinkLimits limits({1000, 3000, 5000, 500}); // a log that ends mid-answer
    SimFixture fixture(
        SimFromArguments({QStringLiteral("--replay"), path, QStringLiteral("--replay-fast")}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    const Shown shown = Drive(form, !expected.afterClear.isEmpty());
    if (!expected.message.isEmpty())
        QVERIFY2(shown.message.contains(expected.message), qPrintable(shown.message));
    else
        QCOMPARE(shown.said, QStringList());
    QCOMPARE(shown.part, expected.part);
    QCOMPARE(shown.model, expected.model);
    QCOMPARE(shown.codes, expected.codes);
    QCOMPARE(shown.afterClear, expected.afterClear);
    QCOMPARE(fixture.sim().Adapter().ReplayUnanswered(), QStringList());
}

void TestTranscripts::logKeepsTheLastTenSessions() {
    QTemporaryDir folder;
    AdapterLog log;
    log.SetPath(folder.filePath(QStringLiteral("vorkel.log")));
    const auto sessions = [&log](int from, int to, qsizetype bytes) {
        for (int session = from; session <= to; ++session) {
            log.StartSession({QStringLiteral("run %1").arg(session)});
            log.Wrote(QByteArray("atz\r\n\\\x01"));
            log.Arrived(QByteArray(bytes, 'A'));
        }
        QFile file(log.Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QByteArray text = sessions(1, 15, 100);
    QCOMPARE(text.count("# session\n"), LogSessionsKept);
    QVERIFY(text.contains("# run 15\n") && text.contains("# run 6\n") &&
            !text.contains("# run 5\n"));
    QVERIFY(text.contains(" > atz\\r\\n\\\\\\x01\n"));
    // A session that babbles past the limit stops its log there.
    text = sessions(21, 21, 3 * 1024 * 1024);
    QVERIFY(text.size() <= LogMaxBytes);
    QVERIFY(text.endsWith("# the log is full\n"));

    // Where the log cannot be written the work goes on, and nothing breaks.
    Form1 form;
    SimFixture fixture(FastAdapter());
    windowdriver::Start(form, fixture.comPort());
    form.AdapterLogFile().SetPath(QStringLiteral("/dev/null/vorkel.log"));
    QCOMPARE(Drive(form, false).said, QStringList());
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Disconnect"));
}

QTEST_MAIN(TestTranscripts)
#include "tst_transcripts.moc"
