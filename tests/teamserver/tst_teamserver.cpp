#include "pgcluster.h"

#include "common/dateutils.h"
#include "store/catalogstore.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "store/snapshots.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/teammateexaminedialog.h"
#include "teamserver/activitypublisher.h"
#include "teamserver/memberlinks.h"
#include "teamserver/teamactivitydialog.h"
#include "teamserver/teamservercontroller.h"
#include "teamserver/teamserverdialog.h"
#include "teamserver/teamserverreader.h"
#include "teamserver/teamserversettings.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSslSocket>
#include <QTableWidget>
#include <QTcpServer>
#include <QTimer>
#include <QtEndian>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {
const QString none = u"0|0|0|0|0|0|0|0|0|0"_s;

// The day's figures as the program's own lists and totals count them.
QString localFigures(const QDate &day, qint64 talkSeconds)
{
    const qint64 from = GetDayBegin(day), to = dayEndTime(day);
    qint64 amount = 0, money = 0, buyers = 0;
    orderTotalsForPeriod(from, to, amount, money, buyers);
    const QList<qint64> values = {countCustomerContactTracks(from, to, 1),
                                  countCustomerContactTracks(from, to, 2),
                                  countCustomersContacted(from, to, 2),
                                  countHelperContactTracks(from, to, 1),
                                  countHelperContactTracks(from, to, 2),
                                  countHelpersContacted(from, to, 2),
                                  buyers,
                                  amount, // one policy per order in these tests
                                  money,
                                  talkSeconds};
    QStringList text;
    for (qint64 value : values)
        text << QString::number(value);
    return text.join(QLatin1Char('|'));
}

// One save of the agent's day: calls, visits with talk time, an order of a
// new customer. Returns the talk time recorded.
qint64 saveWork(int k, const QDateTime &when)
{
    const qint64 time = when.toSecsSinceEpoch();
    addCustomerContactTrack(k, time, 1);
    addCustomerContactTrack(k + 100, time, 2);
    addCustomerTelLog(k, 2, u"拜访"_s, time, 1, time);
    execSql(u"INSERT INTO contact_durations VALUES (1, last_insert_rowid(), %1)"_s.arg(60 * k));
    addHelperContactTrack(k, time, 1);
    addHelperTelLog(k, 2, u"面谈"_s, time, 1, time);
    execSql(u"INSERT INTO contact_durations VALUES (2, last_insert_rowid(), 7)"_s);
    addCustomerOrder(k, time, u"P1"_s, 1, 1000 * k);
    return 60 * k + 7;
}

// A publisher with short pauses, and its reports.
struct Publishing
{
    Publishing(const TeamServerSettings &settings,
               const ActivityPublisher::Pauses &pauses = {0, 200, 1000, 100})
        : publisher(settings, u"pw-"_s + settings.member, pauses),
          status(&publisher, &ActivityPublisher::statusChanged)
    {
    }
    bool next(bool synced, bool changed = false)
    {
        status.clear();
        if (changed)
            publisher.localDataChanged();
        return QTest::qWaitFor(
            [&] { return !status.isEmpty() && status.last().at(0).toBool() == synced; }, 20000);
    }
    ActivityPublisher publisher;
    QSignalSpy status;
};

// On the server's port: asks for the password (or MD5), after TLS with a key; keeps the rest.
struct FakePostgres : QTcpServer
{
    bool md5 = false;
    QString key;
    QByteArray afterQuestion;
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QSslSocket::readyRead, this, [=, in = QByteArray(), step = 0]() mutable {
            in += socket->readAll();
            if (step == 2 || in.size() < 8 || in.size() < qFromBigEndian<qint32>(in.constData()))
                return void(step == 2 ? afterQuestion += std::exchange(in, {}) : in);
            const bool tls = step++ == 0 && in.endsWith("\x04\xd2\x16\x2f"); // SSLRequest
            in.clear();
            if (!tls) // the start-up message: ask
                socket->write(md5 ? QByteArray("R\0\0\0\x0c\0\0\0\x05salt", 13)
                                  : QByteArray("R\0\0\0\x08\0\0\0\x03", 9));
            step = tls ? 1 : 2;
            socket->write(!tls ? "" : key.isEmpty() ? "N" : "S");
            if (tls && !key.isEmpty()) {
                socket->setLocalCertificate(key.chopped(3) + u"crt"_s);
                socket->setPrivateKey(key, QSsl::Ec);
                socket->startServerEncryption();
            }
        });
    }
};

// Fills the dialog's line edits, by object name.
void fill(QWidget *dialog, const QStringList &names, const QStringList &values)
{
    for (int i = 0; i < names.size(); ++i)
        dialog->findChild<QLineEdit *>(names.at(i))->setText(values.at(i));
}
} // namespace

class TeamServerTest : public QObject
{
    Q_OBJECT
    PgCluster cluster;

    QString serverFigures(const QString &member, const QDate &day)
    {
        QString row;
        cluster.sql(u"SELECT prospect_first_calls, prospect_later_calls, prospect_visits, "
                    "recruit_first_calls, recruit_later_calls, recruit_visits, new_customers, "
                    "orders, order_money, talk_seconds FROM activity WHERE member = '%1' AND "
                    "day = '%2'"_s.arg(member, day.toString(Qt::ISODate)),
                    &row);
        return row;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(cluster.create(&error), qPrintable(error));
        // A database left by a newer program: the setup refuses it.
        QCOMPARE(cluster.setup({u"team_v3"_s}), 0);
        QVERIFY(cluster.sql(u"UPDATE schema_version SET version = 3"_s, nullptr, u"team_v3"_s));
        QCOMPARE(cluster.setup({u"team_v3"_s}), 1);
    }

    void init() { Clock::setFixedNow(QDateTime()); }

    void rowsByRole_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        const QString read =
            u"SELECT string_agg(member || ':' || orders, ',' ORDER BY member) FROM activity"_s;
        const QString insert = u"INSERT INTO activity (member, day) VALUES ('%1', '2020-01-02')"_s;
        const QString denied = u"permission denied"_s, asGroup = u"SET ROLE callledger_member; "_s;
        const QString publish =
            u"SELECT publish_activity('2020-01-01', 0, 0, 0, 0, 0, 0, 0, 1, 0, 0)"_s;
        QTest::newRow("m1 reads its own") << u"m1"_s << read << u"m1:1"_s;
        QTest::newRow("m2 reads its own") << u"m2"_s << read << u"m2:2"_s;
        QTest::newRow("leader reads its team") << u"boss"_s << read << u"m1:1,m2:2"_s;
        QTest::newRow("outsider reads nothing") << u"outsider"_s << read << denied;
        QTest::newRow("m1 publishes, as the group too")
            << u"m1"_s << asGroup + publish << QString();
        QTest::newRow("m1 inserts as the group")
            << u"m1"_s << asGroup + insert.arg(u"callledger_member") << denied;
        QTest::newRow("m1 inserts m2's row") << u"m1"_s << insert.arg(u"m2") << denied;
        QTest::newRow("m1 updates m2's row")
            << u"m1"_s << u"UPDATE activity SET orders = 99 WHERE member = 'm2'"_s << denied;
        QTest::newRow("m1 deletes m2's row")
            << u"m1"_s << u"DELETE FROM activity WHERE member = 'm2'"_s << denied;
        QTest::newRow("m1 locks") << u"m1"_s << u"BEGIN; LOCK TABLE activity IN ACCESS EXCLUSIVE MODE"_s
                                  << denied;
        QTest::newRow("leader updates")
            << u"boss"_s << u"UPDATE activity SET orders = 99"_s << denied;
        QTest::newRow("leader inserts") << u"boss"_s << insert.arg(u"m1") << denied;
    }

    void rowsByRole()
    {
        QFETCH(QString, role);
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        const QString rows = u"m1:2020-01-01:1,m2:2020-01-01:2,m3x:2020-01-01:3"_s;
        QVERIFY(cluster.sql(u"DELETE FROM activity; INSERT INTO activity (member, day, orders) "
                            "VALUES ('m1', '2020-01-01', 1), ('m2', '2020-01-01', 2), "
                            "('m3x', '2020-01-01', 3)"_s));
        // Straight SQL through the role's own connection, as any client could send it.
        QProcess psql;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"PGPASSWORD"_s, PgCluster::password(role));
        psql.setProcessEnvironment(env);
        const TeamServerSettings s = cluster.settings(role);
        psql.start(u"psql"_s, {u"-XAt"_s, u"-h"_s, s.host, u"-p"_s, QString::number(s.port),
                               u"-U"_s, role, u"-d"_s, s.database, u"-c"_s, statement});
        QVERIFY(psql.waitForFinished(30000));
        const QString out =
            QString::fromUtf8(psql.readAllStandardOutput() + psql.readAllStandardError());
        QVERIFY2(expected.isEmpty() ? !out.contains(u"ERROR") : out.contains(expected),
                 qPrintable(out));
        // Whatever the role tried, the other members' rows are as they were.
        QString now;
        QVERIFY(cluster.sql(u"SELECT string_agg(member || ':' || day || ':' || orders, ',' "
                            "ORDER BY member, day) FROM activity"_s,
                            &now));
        QCOMPARE(now, rows);
    }

    void figuresFollowLocalFile()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(cluster.sql(u"DELETE FROM activity"_s));
        const QDate day(2026, 3, 10);
        Clock::setFixedNow(QDateTime(day, QTime(10, 0)));
        qint64 talk = saveWork(1, Clock::now());
        Publishing m1(cluster.settings(u"m1"_s));
        QVERIFY(m1.next(true));
        QCOMPARE(serverFigures(u"m1"_s, day), localFigures(day, talk));
        QCOMPARE(serverFigures(u"m1"_s, day.addDays(-30)), none);

        // A further save, then a restore of a snapshot taken before it.
        SnapshotJob snapshot;
        QVERIFY(snapshot.begin(Clock::now()) && snapshot.runToEnd());
        const QString before = localFigures(day, talk);
        talk += saveWork(2, Clock::now().addSecs(60));
        QVERIFY(m1.next(true, true));
        QCOMPARE(serverFigures(u"m1"_s, day), localFigures(day, talk));
        QString error;
        QVERIFY2(restoreSnapshot(snapshot.path(), &error), qPrintable(error));
        QVERIFY(m1.next(true, true));
        QCOMPARE(serverFigures(u"m1"_s, day), before);

        // Midnight: the new day gets its row without any change to the file.
        Clock::setFixedNow(QDateTime(day.addDays(1), QTime(0, 0, 30)));
        QVERIFY(m1.next(true));
        QCOMPARE(serverFigures(u"m1"_s, day.addDays(1)), none);
        talk = saveWork(3, Clock::now());
        QVERIFY(m1.next(true, true));
        QCOMPARE(serverFigures(u"m1"_s, day.addDays(1)), localFigures(day.addDays(1), talk));
        QCOMPARE(serverFigures(u"m1"_s, day), before);
    }

    void serverStoppedAndBack()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QDate day = Clock::now().date();
        qint64 talk = saveWork(1, Clock::now());
        Publishing m2(cluster.settings(u"m2"_s), {0, 200, 1000, 100, 500, 3000});
        QSignalSpy waiting(&m2.publisher, &ActivityPublisher::waiting);
        QString backend; // first a server that stops answering: said after a while, then left
        QVERIFY(m2.next(true) && cluster.sql(u"SELECT pid FROM pg_stat_activity WHERE usename = "
                                             "'m2' ORDER BY backend_start DESC LIMIT 1"_s,
                                             &backend));
        QCOMPARE(::kill(backend.toInt(), SIGSTOP), 0);
        talk += saveWork(4, Clock::now());
        const bool left = m2.next(false, true);
        ::kill(backend.toInt(), SIGCONT);
        QVERIFY(left && !waiting.isEmpty() && waiting.last().at(0).toInt() >= 2);
        QVERIFY(cluster.stop());
        talk += saveWork(2, Clock::now());
        QVERIFY(m2.next(false, true));
        const QString text = teamServerStatusText(false, m2.publisher.lastReason(), {});
        QVERIFY2(text.startsWith(u"团队服务器: 无法连接 (") && text.size() > 20, qPrintable(text));
        // The agent works on while the server is away.
        talk += saveWork(3, Clock::now());
        QVERIFY(cluster.start());
        QVERIFY(m2.next(true));
        QCOMPARE(serverFigures(u"m2"_s, day), localFigures(day, talk));
    }

    // A server that takes the connection and never answers, as a dead
    // network does: switching the publisher off must not wait for it.
    void silentServerDoesNotHoldTheWindow()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        TeamServerSettings settings = cluster.settings(u"m1"_s);
        settings.host = u"127.0.0.1"_s;
        settings.port = silent.serverPort();
        auto publishing = std::make_unique<Publishing>(settings);
        QTest::qWait(300); // the thread now waits for the server's first answer
        QElapsedTimer clock;
        clock.start();
        publishing.reset();
        // The connection's own time-out is 10 s.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    // Whatever the network does, the program ends within two seconds of its window.
    void silentServerLetsTheProgramEnd()
    {
        TestWorkspace workspace;
        QTcpServer silent; // takes the connection, never answers
        QProcess child;
        QVERIFY(workspace.openDatabase() && silent.listen(QHostAddress::LocalHost));
        child.start(u"" PUBLISH_CHILD ""_s,
                    {workspace.path(), QString::number(silent.serverPort()), u"m1"_s, u"pw-m1"_s,
                     cluster.file(u"ca.crt"_s), u"1000"_s});
        QVERIFY(QTest::qWaitFor([&] { return child.readAllStandardOutput().contains("closing"); },
                                9000));
        const QTime closing = QTime::currentTime();
        QVERIFY(child.waitForFinished(20000) && closing.msecsTo(QTime::currentTime()) < 2000);
    }

    // Anybody on the port asks for the password, in clear text or as MD5, behind TLS of its
    // own or not: in no mode of the dialog (nor an older version's "prefer") does it get it.
    void passwordGoesToNoImpostor_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("ask"); // 1: MD5, 2: TLS
        const QStringList modes = teamServerTlsModes() << u"prefer"_s;
        for (const QString &mode : modes)
            for (const int ask : {0, 1, 2, 3})
                QTest::addRow("%s %d", qPrintable(mode), ask) << mode << ask;
    }
    void passwordGoesToNoImpostor()
    {
        QFETCH(QString, mode);
        QFETCH(int, ask);
        TestWorkspace workspace;
        FakePostgres impostor;
        impostor.md5 = ask & 1;
        impostor.key = ask & 2 ? cluster.file(u"stranger.key"_s) : QString();
        QVERIFY(impostor.listen(QHostAddress::LocalHost));
        TeamServerSettings settings = cluster.settings(u"m1"_s);
        settings.port = impostor.serverPort();
        settings.tlsMode = mode; // "require" with a CA file would check the server's CA
        settings.caFile = mode == u"require" ? QString() : settings.caFile;
        saveTeamServerSettings(settings);
        TeamServerDialog dialog;
        QTest::keyClicks(dialog.findChild<QLineEdit *>(u"lineEditPassword"_s), u"pw-m1"_s);
        QSignalSpy tested(&dialog, &TeamServerDialog::connectionTested);
        dialog.findChild<QPushButton *>(u"pushButtonTest"_s)->click();
        QVERIFY(tested.wait(20000) && !tested.first().first().toBool());
        QVERIFY2(impostor.afterQuestion.isEmpty(), impostor.afterQuestion.constData());
    }

    // No clear password reaches the log (DDL logged); roles not the script's are left alone.
    void setupGuardsPasswordsAndOthersRoles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("new member") << u"newbie"_s << 0;
        QTest::newRow("the superuser") << u"postgres"_s << 1;
        QTest::newRow("another's role") << u"outsider"_s << 1;
        QTest::newRow("reserved name") << u"pg_monitor"_s << 2;
    }
    void setupGuardsPasswordsAndOthersRoles()
    {
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        const QString role =
            u"SELECT rolsuper::text || coalesce(rolpassword, '-') || pg_has_role(oid, "
            "'callledger_member', 'USAGE')::text FROM pg_authid WHERE rolname = '"_s;
        QString before, after;
        QFile log(cluster.file(u"log"_s));
        QVERIFY(cluster.sql(role + name + u'\'', &before));
        QCOMPARE(cluster.setup({u"team"_s, u"member"_s, name}, PgCluster::password(name)),
                 exitCode);
        QVERIFY(cluster.sql(role + name + u'\'', &after) && (after != before) == (exitCode == 0));
        QVERIFY(log.open(QIODevice::ReadOnly) && !log.readAll().contains("pw-"));
    }

    void killedMidPublishLeavesLastPublish()
    {
        QCOMPARE(cluster.setup({u"team"_s, u"member"_s, u"m3"_s}, PgCluster::password(u"m3"_s)), 0);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QDate day = Clock::now().date(), earlierDay = day.addDays(-2);
        qint64 talk = saveWork(1, Clock::now().addDays(-2));
        saveWork(1, Clock::now());
        QVERIFY(Publishing(cluster.settings(u"m3"_s)).next(true));
        const QString earlier = serverFigures(u"m3"_s, earlierDay);
        talk += saveWork(2, Clock::now().addDays(-2));
        saveWork(2, Clock::now());
        // Hold today's row (the last of the batch) so that the child's
        // transaction stops after writing the earlier days, then kill it there.
        QProcess locker;
        cluster.prepare(locker);
        locker.start(u"psql"_s, {u"-XAt"_s, u"-d"_s, u"team"_s});
        locker.write(u"BEGIN; SELECT 1 FROM activity WHERE member = 'm3' AND day = '%1' FOR "
                     "UPDATE; SELECT 'locked';\n"_s.arg(day.toString(Qt::ISODate))
                         .toUtf8());
        QVERIFY(QTest::qWaitFor([&] { return locker.readAllStandardOutput().contains("locked"); },
                                20000));
        QProcess child;
        child.start(u"" PUBLISH_CHILD ""_s,
                    {workspace.path(), QString::number(cluster.settings({}).port), u"m3"_s,
                     PgCluster::password(u"m3"_s), cluster.file(u"ca.crt"_s)});
        const auto backends = [this](const QString &condition) {
            QString count;
            cluster.sql(u"SELECT count(*) FROM pg_stat_activity WHERE usename = 'm3'"_s + condition,
                        &count);
            return count;
        };
        QVERIFY(QTest::qWaitFor(
            [&] { return backends(u" AND wait_event_type = 'Lock'"_s) == u"1"; }, 20000));
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        locker.closeWriteChannel(); // psql ends, its transaction rolls back
        QVERIFY(locker.waitForFinished(10000));
        QVERIFY(QTest::qWaitFor([&] { return backends({}) == u"0"; }, 20000));
        QCOMPARE(serverFigures(u"m3"_s, earlierDay), earlier);
        QVERIFY(earlier != localFigures(earlierDay, talk));
        // The next publish brings the server up to the file.
        QVERIFY(Publishing(cluster.settings(u"m3"_s)).next(true));
        QCOMPARE(serverFigures(u"m3"_s, earlierDay), localFigures(earlierDay, talk));
    }

    void leaderReadsTeam()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(cluster.sql(u"DELETE FROM activity; INSERT INTO activity (member, day, orders, "
                            "talk_seconds) VALUES ('m1', '%1', 7, 3725), ('m2', '%1'::date - 1, "
                            "4, 0)"_s.arg(Clock::now().date().toString(Qt::ISODate))));
        // m9 is on the team but has never published.
        QVERIFY(cluster.sql(
            u"INSERT INTO team_members VALUES ('boss', 'm9') ON CONFLICT DO NOTHING"_s));
        for (const QString &name : {u"张三"_s, u"李四"_s, u"王五"_s})
            QVERIFY(addHelper(name, 1, u"1985-01-01"_s, u"139"_s, {}, {}, {}, {}, 2));
        QVERIFY(saveServerMemberLink(1, u"m1"_s) && saveServerMemberLink(2, u"m2"_s));

        TeamServerReader reader(cluster.settings(u"boss"_s), PgCluster::password(u"boss"_s));
        TeamActivityDialog window(nullptr, &reader);
        QSignalSpy refreshed(&window, &TeamActivityDialog::refreshed);
        QVERIFY(refreshed.wait(20000));
        QCOMPARE(refreshed.last().at(0).toString(), QString());
        auto *table = window.findChild<QTableWidget *>(u"tableWidget"_s);
        const auto cell = [table](int row, int column) { return table->item(row, column)->text(); };
        const int today = TeamActivityDialog::FirstFigure, week = today + ActivityFieldCount;
        QCOMPARE(cell(0, TeamActivityDialog::TodayState), u"已上报"_s);
        QCOMPARE(cell(0, today + Orders), u"7"_s);
        QCOMPARE(cell(0, today + TalkSeconds), u"1:02:05"_s);
        QCOMPARE(cell(1, TeamActivityDialog::TodayState), u"今日未同步"_s);
        QCOMPARE(cell(1, today + Orders), QString());
        QCOMPARE(cell(2, TeamActivityDialog::TodayState), u"未关联"_s);
        QCOMPARE(cell(1, week + Orders), Clock::now().date().dayOfWeek() == 1 ? QString() : u"4"_s);
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(cell(3, TeamActivityDialog::ServerName), u"m9"_s);
        QCOMPARE(cell(3, TeamActivityDialog::TodayState), u"今日未同步"_s);

        // The assessment shows the recorded figures beside the reported earnings.
        QMainWindow mainWindow;
        TeamServerController controller(&mainWindow);
        controller.apply(cluster.settings(u"boss"_s), PgCluster::password(u"boss"_s));
        TeammateExamineDialog examine;
        examine.assess(1, u"张三"_s, Clock::now().date().year());
        auto *year = examine.findChild<QLabel *>(u"labelActivityYear"_s);
        QTRY_VERIFY_WITH_TIMEOUT(year->text().contains(u"保单 7,"), 20000);
    }

    // With no keyring the next start has no password: the status bar asks
    // for it (no attempt with an empty one), and a click opens that field.
    void missingPasswordIsAskedFor()
    {
        TestWorkspace workspace;
        saveTeamServerSettings(cluster.settings(u"m2"_s));
        QMainWindow window;
        TeamServerController controller(&window);
        QTRY_COMPARE_WITH_TIMEOUT(controller.statusLabel()->text(), u"团队服务器: 需要输入密码"_s,
                                  20000);
        QVERIFY(!controller.publisher() && controller.statusLabel()->isVisibleTo(&window));
        QString focused;
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            focused = dialog->focusWidget()->objectName();
            dialog->close();
        });
        QTest::mouseClick(controller.statusLabel(), Qt::LeftButton);
        QCOMPARE(focused, u"lineEditPassword"_s);
    }

    void passwordStaysOutOfSettings()
    {
        TestWorkspace workspace;
        const QStringList fields = {u"lineEditHost"_s, u"lineEditDatabase"_s, u"lineEditMember"_s,
                                    u"lineEditPassword"_s};
        TeamServerDialog dialog;
        fill(&dialog, fields, {u"team.example"_s, u"team"_s, u"m9"_s, u"secret-of-m9"_s});
        dialog.findChild<QPushButton *>(u"pushButtonOk"_s)->click();
        QFile file(QSettings(u"CallLedger"_s, u"CallLedger"_s).fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        QVERIFY(stored.contains("team.example") && !stored.contains("secret-of-m9"));
        // Read back from the keyring, or from this session's copy when there is none.
        TeamServerDialog again;
        auto *password = again.findChild<QLineEdit *>(fields.last());
        QTRY_COMPARE_WITH_TIMEOUT(password->text(), u"secret-of-m9"_s, 20000);
    }

    void connectionTest_data()
    {
        // Member, password, TLS mode, database; whether the port is closed.
        QTest::addColumn<QStringList>("entered");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<QString>("expected");
        const QString m1 = u"m1"_s, pw = u"pw-m1"_s, team = u"team"_s,
                      ca = cluster.file(u"ca.crt"_s);
        const QString verified = u"verify-full"_s;
        QTest::newRow("right") << QStringList{m1, pw, verified, team, ca} << false << u"连接成功"_s;
        QTest::newRow("wrong password") << QStringList{m1, u"wrong"_s, verified, team, ca} << false
                                        << u"password authentication failed"_s;
        QTest::newRow("no CA file")
            << QStringList{m1, pw, verified, team, {}} << false << u"root certificate file"_s;
        QTest::newRow("schema missing")
            << QStringList{m1, pw, verified, u"postgres"_s, ca} << false << u"没有团队数据表"_s;
        QTest::newRow("other version")
            << QStringList{m1, pw, verified, u"team_v3"_s, ca} << false << u"服务器数据版本为 3"_s;
        QTest::newRow("not a team role")
            << QStringList{u"outsider"_s, u"pw-outsider"_s, verified, team, ca} << false
            << u"permission denied"_s;
        QTest::newRow("nobody listening")
            << QStringList{m1, pw, verified, team, ca} << true << u"refused"_s;
    }

    void connectionTest()
    {
        QFETCH(QStringList, entered);
        QFETCH(bool, closedPort);
        QFETCH(QString, expected);
        TestWorkspace workspace;
        TeamServerDialog dialog;
        fill(&dialog,
             {u"lineEditHost"_s, u"lineEditMember"_s, u"lineEditPassword"_s, u"lineEditDatabase"_s,
              u"lineEditCaFile"_s},
             {u"127.0.0.1"_s, entered.at(0), entered.at(1), entered.at(3), entered.at(4)});
        dialog.findChild<QSpinBox *>(u"spinBoxPort"_s)
            ->setValue(closedPort ? 1 : cluster.settings({}).port);
        dialog.findChild<QComboBox *>(u"comboBoxTlsMode"_s)->setCurrentText(entered.at(2));
        QSignalSpy tested(&dialog, &TeamServerDialog::connectionTested);
        dialog.findChild<QPushButton *>(u"pushButtonTest"_s)->click();
        QVERIFY(tested.wait(20000));
        const QString shown = dialog.findChild<QLabel *>(u"labelTestResult"_s)->text();
        QVERIFY2(shown.contains(expected), qPrintable(shown));
    }
};

CALLLEDGER_TEST_MAIN(TeamServerTest, QApplication)
#include "tst_teamserver.moc"
