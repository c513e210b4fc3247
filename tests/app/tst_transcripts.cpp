// Adapter logs replayed through the real window: each file in
// tests/transcripts is one row, so a user's log becomes a test by being added
// there. Its "# expect ..." lines say what the window must show.
#include "app/form1.h"
#include "common/adapter_log.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "link/exchange.h"
#include "replay.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/test_parts.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    void initTestCase() { ::signal(SIGXFSZ, SIG_IGN); } // a file size limit plays a full disk
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void replays_data();
    void replays();
    void logKeepsTheLastSessions();
    void logAndItsCopy_data();
    void logAndItsCopy();

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

QByteArray FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs work with files stopping at bytes (EFBIG), as on a full disk.
void OnAFullDisk(rlim_t bytes, const std::function<void()>& work) {
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    full.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &full);
    work();
    ::setrlimit(RLIMIT_FSIZE, &saved);
}

void TestTranscripts::logKeepsTheLastSessions() {
    QTemporaryDir folder;
    AdapterLog log;
    log.SetPath(folder.filePath(QStringLiteral("vorkel.log")));
    QByteArray before; // what the files held: a session once written stays as it was
    const auto sessions = [&](int from, int to, qsizetype bytes) {
        for (int session = from; session <= to; ++session) {
            log.StartSession({QStringLiteral("run %1").arg(session)});
            log.Wrote(QByteArray("atz\r\n\\\x01"));
            for (qsizetype left = bytes; left > 0; left -= 4096)
                log.Arrived(QByteArray(std::min<qsizetype>(left, 4096), 'A'));
            const QByteArray now = log.Contents();
            const QByteArray older = FileText(log.OlderPath());
            QVERIFY(now.startsWith(before) ||
                    (!older.isEmpty() && before.endsWith(older) && now.startsWith(older)));
            before = now;
        }
    };
    sessions(1, 25, 100);
    const QByteArray text = log.Contents();
    for (int session = 16; session <= 25; ++session)
        QVERIFY(text.contains(QStringLiteral("# run %1\n").arg(session).toLatin1()));
    QVERIFY(FileText(log.OlderPath()).startsWith("# session\n"));
    QVERIFY(text.contains(" > atz\\r\\n\\\\\\x01\n"));
    // A session that babbles past the limit stops its log there, and the next
    // Connect keeps it whole beside the new one, within the limit.
    sessions(26, 26, 3 * 1024 * 1024);
    QVERIFY(FileText(log.Path()).endsWith("# the log is full\n"));
    sessions(27, 27, 100);
    QVERIFY(FileText(log.OlderPath()).contains("# run 26\n"));
    QVERIFY(FileText(log.OlderPath()).endsWith("# the log is full\n"));
    QVERIFY(QFileInfo(log.Path()).size() + QFileInfo(log.OlderPath()).size() <= LogMaxBytes);

    // Two programs in one folder: all the lines of both are kept, also when one
    // moves the log aside under the other.
    AdapterLog other;
    other.SetPath(log.Path());
    other.StartSession({QStringLiteral("other")});
    log.Note(QStringLiteral("first's line"));
    for (int session = 0; session < LogSessionsKept; ++session)
        other.StartSession({QStringLiteral("other")});
    log.Note(QStringLiteral("first's line after the move"));
    const QByteArray both = log.Contents();
    QVERIFY(both.contains("first's line\n") && both.contains("first's line after the move\n"));
    QVERIFY(FileText(log.Path()).startsWith("# session\n"));

    // A full disk (a file size limit stands in for it): what was there stays,
    // without half a line, and it is said once.
    const QByteArray kept = FileText(log.Path());
    OnAFullDisk(static_cast<rlim_t>(kept.size() + 10), [&log] {
        log.Arrived(QByteArray(100, 'B'));
        log.Arrived(QByteArray(5, 'C'));
    });
    QCOMPARE(FileText(log.Path()), kept);
    QVERIFY(log.Problem().contains(QFileInfo(log.Path()).absoluteFilePath()));

    // Made by root in a user's folder, the log is the user's.
    if (::geteuid() == 0) {
        QTemporaryDir users;
        QVERIFY(::chown(QFile::encodeName(users.path()).constData(), 65534, 65534) == 0);
        AdapterLog rootsLog;
        rootsLog.SetPath(users.filePath(QStringLiteral("vorkel.log")));
        rootsLog.StartSession({});
        QCOMPARE(QFileInfo(rootsLog.Path()).ownerId(), 65534u);
    }
}

void TestTranscripts::logAndItsCopy_data() {
    QTest::addColumn<QString>("what"); // what stands where the log goes
    QTest::addColumn<QString>(
        "saveTo"); // Save Adapter Log... to this, in the folder; "LOG": the log
    QTest::addColumn<QString>("reason"); // a part of the message when saving fails
    for (const char* what : {"link", "dangling", "devnull", "fifo", "folder", "text"})
        QTest::newRow(what) << what << ""
                            << "";
    QTest::newRow("empty file, saved anew") << "empty"
                                            << "saved.log"
                                            << "";
    QTest::newRow("saved over the user's file") << "empty"
                                                << "precious"
                                                << "";
    QTest::newRow("saved over the log") << "empty"
                                        << "LOG"
                                        << "the adapter log itself";
    QTest::newRow("saved over its older part") << "empty"
                                               << "LOG.1"
                                               << "the adapter log itself";
    QTest::newRow("saved where no folder is") << "empty"
                                              << "nowhere/x.log"
                                              << "No such file";
    QTest::newRow("saved on a full disk") << "empty"
                                          << "precious"
                                          << "File too large";
}

// Connect works whatever stands where the log goes, the log is kept only in
// a file of its own, every byte that came in is in it, and its copy is
// written whole or not at all.
void TestTranscripts::logAndItsCopy() {
    QFETCH(QString, what);
    QFETCH(QString, saveTo);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("vorkel.log"));
    const QString precious = folder.filePath(QStringLiteral("precious"));
    const QString made = folder.filePath(QStringLiteral("made"));
    QFile user(precious);
    QVERIFY(user.open(QIODevice::WriteOnly) && user.write("the user's\n") > 0);
    user.close();
    if (what == QLatin1String("link")) QVERIFY(QFile::link(precious, path));
    if (what == QLatin1String("dangling")) QVERIFY(QFile::link(made, path));
    if (what == QLatin1String("devnull")) QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    if (what == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (what == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
    if (what == QLatin1String("text")) QVERIFY(QFile::copy(precious, path));
    if (what == QLatin1String("empty")) QVERIFY(QFile(path).open(QIODevice::WriteOnly));

    // The adapter in a process of its own, so that it goes on sending while
    // the program pauses, as a real one does: a frame unasked after each
    // answer, dropped before the next command; where the copy is saved, the
    // bytes one at a time (slower). Its trace says every byte it sent.
    QStringList faults{QStringLiteral("--late-line"), QStringLiteral("728 03 7F 3E 11 ")};
    if (!saveTo.isEmpty() && reason.isEmpty()) faults << QStringLiteral("--split");
    QProcess sim;
    sim.start(QStringLiteral(VORKEL_SIM_BINARY),
              QStringList{QStringLiteral("--com"), QStringLiteral("9"),
                          QStringLiteral("--ports-dir"), folder.path(), QStringLiteral("--trace")} +
                  faults);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder.filePath(QStringLiteral("COM9"))), 5000);
    SetPortsFolder(folder.path());
    Form1 form;
    windowdriver::Start(form, 9);
    form.AdapterLogFile().SetPath(path);
    // Nothing to save before a Connect, nor while a request runs.
    QVERIFY(!form.mnu_SaveLog->isEnabled());
    bool greyedMeanwhile = false;
    windowdriver::WhenTrue(
        &form, [&form] { return form.ExchangeRunning(); },
        [&] { greyedMeanwhile = !form.mnu_SaveLog->isEnabled(); });
    QCOMPARE(Drive(form, false).said.join(QLatin1Char('|')), QString());
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Disconnect"));
    form.MSComm1->setPortOpen(false);
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    SetPortsFolder(QString());
    QVERIFY(greyedMeanwhile);
    QCOMPARE(form.mnu_SaveLog->isEnabled(), !saveTo.isEmpty());
    QCOMPARE(FileText(precious), QByteArray("the user's\n"));
    QVERIFY(!QFileInfo::exists(made));
    if (saveTo.isEmpty()) {
        QVERIFY(form.AdapterLogFile().Problem().contains(path));
        if (what == QLatin1String("text")) QCOMPARE(FileText(path), QByteArray("the user's\n"));
        return;
    }
    // Every byte that came in, also those dropped before a command.
    const auto bytes = [](const QByteArray& text, const QString& line) {
        QByteArray all;
        const QRegularExpression chunk(line);
        for (const QByteArray& raw : text.split('\n')) {
            const QRegularExpressionMatch m = chunk.match(QString::fromLatin1(raw));
            if (m.hasMatch()) all += vorkelsim::UnescapeLogText(m.captured(1).toLatin1());
        }
        return all;
    };
    // (What it sent after the last answer's prompt may still have been on its way.)
    const QByteArray logged = bytes(FileText(path), QStringLiteral("^\\d+ < (.*)$"));
    const QByteArray sent =
        bytes(sim.readAllStandardOutput(), QStringLiteral("^[0-9:.]+ -> (.*)$"));
    QVERIFY2(
        sent.startsWith(logged) && !sent.mid(logged.size()).contains('>'),
        qPrintable(QStringLiteral("logged %1 of %2 bytes").arg(logged.size()).arg(sent.size())));

    const QString target = saveTo.startsWith(QLatin1String("LOG"))
                               ? QString(saveTo).replace(QStringLiteral("LOG"), path)
                               : folder.filePath(saveTo);
    const QByteArray log = FileText(path);
    form.setFileChooser([&target](const QString&, const QString&) { return target; });
    MessageRecorder messages;
    OnAFullDisk(reason.contains(QLatin1String("too large")) ? 100 : RLIM_INFINITY,
                [&form] { form.mnu_SaveLog->trigger(); });
    if (reason.isEmpty()) {
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(FileText(target), form.AdapterLogFile().Contents());
        return;
    }
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("The adapter log could not be saved.")});
    const QString said = messages.messages().first().informative;
    QVERIFY2(said.contains(target) && said.contains(reason), qPrintable(said));
    QCOMPARE(FileText(precious), QByteArray("the user's\n"));
    QVERIFY(FileText(path).startsWith(log));
}

VORKEL_TEST_MAIN_IN_PARTS(TestTranscripts)
#include "tst_transcripts.moc"
