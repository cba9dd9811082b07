#include "pgcluster.h"

#include "common/dateutils.h"
#include "store/catalogstore.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "store/snapshots.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "team/teammateexaminedialog.h"
#include "teamserver/activitypublisher.h"
#include "teamserver/memberlinks.h"
#include "teamserver/teamactivitydialog.h"
#include "teamserver/teamservercontroller.h"
#include "teamserver/teamserverdialog.h"
#include "teamserver/teamserverreader.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>

namespace {
const ActivityPublisher::Pauses quick{0, 200, 1000, 100};

// The day's figures as the program's own lists and totals count them.
QString localFigures(const QDate &day, qint64 talkSeconds)
{
    const qint64 from = GetDayBegin(day), to = dayEndTime(day);
    qint64 amount = 0, money = 0, buyers = 0;
    orderTotalsForPeriod(from, to, amount, money, buyers);
    const qint64 orders = queryValue(QStringLiteral("SELECT count(*) FROM customers_orders "
                                                    "WHERE add_time BETWEEN %1 AND %2")
                                         .arg(from)
                                         .arg(to))
                              .toLongLong();
    const QList<qint64> values = {countCustomerContactTracks(from, to, 1),
                                  countCustomerContactTracks(from, to, 2),
                                  countCustomersContacted(from, to, 2),
                                  countHelperContactTracks(from, to, 1),
                                  countHelperContactTracks(from, to, 2),
                                  countHelpersContacted(from, to, 2),
                                  buyers, orders, money, talkSeconds};
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
    addCustomerTelLog(k, 2, QStringLiteral("拜访"), time, 1, time);
    execSql(QStringLiteral("INSERT INTO contact_durations VALUES (1, last_insert_rowid(), %1)").arg(60 * k));
    addHelperContactTrack(k, time, 1);
    addHelperTelLog(k, 2, QStringLiteral("面谈"), time, 1, time);
    execSql(QStringLiteral("INSERT INTO contact_durations VALUES (2, last_insert_rowid(), 7)"));
    addCustomerOrder(k, time, QStringLiteral("P1"), 1, 1000 * k);
    return 60 * k + 7;
}

bool waitForStatus(QSignalSpy &spy, bool synced)
{
    spy.clear();
    const bool seen = QTest::qWaitFor(
        [&] { return !spy.isEmpty() && spy.last().at(0).toBool() == synced; }, 20000);
    if (!seen && !spy.isEmpty())
        qWarning() << "last status" << spy.last();
    return seen;
}
} // namespace

class TeamServerTest : public QObject
{
    Q_OBJECT
    PgCluster cluster;

    QString serverFigures(const QString &member, const QDate &day)
    {
        QString row;
        cluster.sql(QStringLiteral("SELECT prospect_first_calls, prospect_later_calls, prospect_visits, "
                                   "recruit_first_calls, recruit_later_calls, recruit_visits, "
                                   "new_customers, orders, order_money, talk_seconds FROM activity "
                                   "WHERE member = '%1' AND day = '%2'")
                        .arg(member, day.toString(Qt::ISODate)),
                    &row);
        return row;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(cluster.create(&error), qPrintable(error));
        // A database left by a newer program: the setup refuses it.
        QCOMPARE(cluster.setup({QStringLiteral("team_v2")}), 0);
        QVERIFY(cluster.sql(QStringLiteral("UPDATE schema_version SET version = 2"), nullptr,
                            QStringLiteral("team_v2")));
        QCOMPARE(cluster.setup({QStringLiteral("team_v2")}), 1);
    }

    void init() { Clock::setFixedNow(QDateTime()); }

    void rowsByRole_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        const QString read = QStringLiteral("SELECT string_agg(member || ':' || orders, ',' ORDER BY member) FROM activity");
        QTest::newRow("m1 reads its own") << "m1" << read << "m1:1";
        QTest::newRow("m2 reads its own") << "m2" << read << "m2:2";
        QTest::newRow("leader reads its team") << "boss" << read << "m1:1,m2:2";
        QTest::newRow("outsider reads nothing") << "outsider" << read << "permission denied";
        QTest::newRow("m1 inserts m2's row") << "m1" << "INSERT INTO activity (member, day) VALUES ('m2', '2020-01-02')" << "row-level security";
        QTest::newRow("m1 updates m2's row") << "m1" << "UPDATE activity SET orders = 99 WHERE member = 'm2'" << "";
        QTest::newRow("m1 deletes m2's row") << "m1" << "DELETE FROM activity WHERE member = 'm2'" << "permission denied";
        // The leader publishes too, so it may write, but only its own rows.
        QTest::newRow("leader updates") << "boss" << "UPDATE activity SET orders = 99" << "";
        QTest::newRow("leader inserts") << "boss" << "INSERT INTO activity (member, day) VALUES ('m1', '2020-01-02')" << "row-level security";
    }

    void rowsByRole()
    {
        QFETCH(QString, role);
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QVERIFY(cluster.sql(QStringLiteral("DELETE FROM activity; INSERT INTO activity (member, day, orders) VALUES "
                                           "('m1', '2020-01-01', 1), ('m2', '2020-01-01', 2), ('m3x', '2020-01-01', 3)")));
        // Straight SQL through the role's own connection, as any client could send it.
        QProcess psql;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSWORD"), PgCluster::password(role));
        psql.setProcessEnvironment(env);
        const TeamServerSettings s = cluster.settings(role);
        psql.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-At"), QStringLiteral("-h"), s.host,
                                            QStringLiteral("-p"), QString::number(s.port), QStringLiteral("-U"), role,
                                            QStringLiteral("-d"), s.database, QStringLiteral("-c"), statement});
        QVERIFY(psql.waitForFinished(30000));
        const QString out = QString::fromUtf8(psql.readAllStandardOutput() + psql.readAllStandardError());
        QVERIFY2(expected.isEmpty() ? !out.contains(QStringLiteral("ERROR")) : out.contains(expected), qPrintable(out));
        // Whatever the role tried, the other members' rows are as they were.
        QString rows;
        QVERIFY(cluster.sql(QStringLiteral("SELECT string_agg(member || ':' || day || ':' || orders, ',' ORDER BY member, day) FROM activity"), &rows));
        QCOMPARE(rows, QStringLiteral("m1:2020-01-01:1,m2:2020-01-01:2,m3x:2020-01-01:3"));
    }

    void figuresFollowLocalFile()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(cluster.sql(QStringLiteral("DELETE FROM activity")));
        const QDate day(2026, 3, 10);
        Clock::setFixedNow(QDateTime(day, QTime(10, 0)));
        qint64 talk = saveWork(1, Clock::now());
        ActivityPublisher publisher(cluster.settings(QStringLiteral("m1")), PgCluster::password(QStringLiteral("m1")), quick);
        QSignalSpy status(&publisher, &ActivityPublisher::statusChanged);
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day), localFigures(day, talk));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day.addDays(-30)), QStringLiteral("0|0|0|0|0|0|0|0|0|0"));

        // A further save, then a restore of a snapshot taken before it.
        SnapshotJob snapshot;
        QVERIFY(snapshot.begin(Clock::now()) && snapshot.runToEnd());
        const QString before = localFigures(day, talk);
        talk += saveWork(2, Clock::now().addSecs(60));
        publisher.localDataChanged();
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day), localFigures(day, talk));
        QString error;
        QVERIFY2(restoreSnapshot(snapshot.path(), &error), qPrintable(error));
        publisher.localDataChanged();
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day), before);

        // Midnight: the new day gets its row without any change to the file.
        Clock::setFixedNow(QDateTime(day.addDays(1), QTime(0, 0, 30)));
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day.addDays(1)), QStringLiteral("0|0|0|0|0|0|0|0|0|0"));
        const qint64 nextTalk = saveWork(3, Clock::now());
        publisher.localDataChanged();
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day.addDays(1)), localFigures(day.addDays(1), nextTalk));
        QCOMPARE(serverFigures(QStringLiteral("m1"), day), before);
    }

    void serverStoppedAndBack()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QDate day = Clock::now().date();
        qint64 talk = saveWork(1, Clock::now());
        ActivityPublisher publisher(cluster.settings(QStringLiteral("m2")), PgCluster::password(QStringLiteral("m2")), quick);
        QSignalSpy status(&publisher, &ActivityPublisher::statusChanged);
        QVERIFY(waitForStatus(status, true));
        QVERIFY(cluster.stop());
        talk += saveWork(2, Clock::now());
        publisher.localDataChanged();
        QVERIFY(waitForStatus(status, false));
        const QString text = teamServerStatusText(false, status.last().at(1).toString(), QDateTime());
        QVERIFY2(text.startsWith(QStringLiteral("团队服务器: 无法连接 (")) && text.size() > 20, qPrintable(text));
        // The agent works on while the server is away.
        talk += saveWork(3, Clock::now());
        QVERIFY(cluster.start());
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m2"), day), localFigures(day, talk));
    }

    void killedMidPublishLeavesLastPublish()
    {
        QCOMPARE(cluster.setup({QStringLiteral("team"), QStringLiteral("member"), QStringLiteral("m3")},
                               PgCluster::password(QStringLiteral("m3"))), 0);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QDate day = Clock::now().date();
        saveWork(1, Clock::now().addDays(-2));
        saveWork(1, Clock::now());
        {
            ActivityPublisher publisher(cluster.settings(QStringLiteral("m3")), PgCluster::password(QStringLiteral("m3")), quick);
            QSignalSpy status(&publisher, &ActivityPublisher::statusChanged);
            QVERIFY(waitForStatus(status, true));
        }
        const QString earlier = serverFigures(QStringLiteral("m3"), day.addDays(-2));
        saveWork(2, Clock::now().addDays(-2));
        saveWork(2, Clock::now());
        // Hold today's row (the last of the batch) so that the child's
        // transaction stops after writing the earlier days, then kill it there.
        QProcess locker;
        cluster.prepare(locker);
        locker.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-At"), QStringLiteral("-d"), QStringLiteral("team")});
        locker.write(QStringLiteral("BEGIN; SELECT 1 FROM activity WHERE member = 'm3' AND day = '%1' FOR UPDATE; SELECT 'locked';\n")
                         .arg(day.toString(Qt::ISODate)).toUtf8());
        QVERIFY(QTest::qWaitFor([&] { return locker.readAllStandardOutput().contains("locked"); }, 20000));
        QProcess child;
        child.start(QStringLiteral(PUBLISH_CHILD), {workspace.path(), QString::number(cluster.settings(QString()).port),
                                                     QStringLiteral("m3"), PgCluster::password(QStringLiteral("m3"))});
        const auto backends = [this](const QString &condition) {
            QString count;
            cluster.sql(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE usename = 'm3'") + condition, &count);
            return count;
        };
        QVERIFY(QTest::qWaitFor([&] { return backends(QStringLiteral(" AND wait_event_type = 'Lock'")) == QLatin1String("1"); }, 20000));
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        locker.write("ROLLBACK;\n");
        locker.closeWriteChannel();
        QVERIFY(locker.waitForFinished(10000));
        QVERIFY(QTest::qWaitFor([&] { return backends(QString()) == QLatin1String("0"); }, 20000));
        QCOMPARE(serverFigures(QStringLiteral("m3"), day.addDays(-2)), earlier);
        QVERIFY(earlier != localFigures(day.addDays(-2), 60 + 7 + 120 + 7));
        // The next publish brings the server up to the file.
        ActivityPublisher publisher(cluster.settings(QStringLiteral("m3")), PgCluster::password(QStringLiteral("m3")), quick);
        QSignalSpy status(&publisher, &ActivityPublisher::statusChanged);
        QVERIFY(waitForStatus(status, true));
        QCOMPARE(serverFigures(QStringLiteral("m3"), day.addDays(-2)), localFigures(day.addDays(-2), 60 + 7 + 120 + 7));
    }

    void leaderReadsTeam()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QString today = Clock::now().date().toString(Qt::ISODate);
        QVERIFY(cluster.sql(QStringLiteral("DELETE FROM activity; INSERT INTO activity (member, day, orders, talk_seconds) "
                                           "VALUES ('m1', '%1', 7, 3725), ('m2', '%1'::date - 1, 4, 0)").arg(today)));
        for (const QString &name : {QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五")})
            QVERIFY(addHelper(name, 1, QStringLiteral("1985-01-01"), QStringLiteral("139"), {}, {}, {}, {}, 2));
        QVERIFY(saveServerMemberLink(1, QStringLiteral("m1")) && saveServerMemberLink(2, QStringLiteral("m2")));

        TeamServerReader reader(cluster.settings(QStringLiteral("boss")), PgCluster::password(QStringLiteral("boss")));
        TeamActivityDialog window(nullptr, &reader);
        QSignalSpy refreshed(&window, &TeamActivityDialog::refreshed);
        QVERIFY(refreshed.wait(20000));
        QCOMPARE(refreshed.last().at(0).toString(), QString());
        auto *table = window.findChild<QTableWidget *>(QStringLiteral("tableWidget"));
        const auto cell = [table](int row, int column) { return table->item(row, column)->text(); };
        QCOMPARE(cell(0, TeamActivityDialog::TodayState), QStringLiteral("已上报"));
        QCOMPARE(cell(0, TeamActivityDialog::FirstFigure + Orders), QStringLiteral("7"));
        QCOMPARE(cell(0, TeamActivityDialog::FirstFigure + TalkSeconds), QStringLiteral("1:02:05"));
        QCOMPARE(cell(1, TeamActivityDialog::TodayState), QStringLiteral("今日未上报"));
        QCOMPARE(cell(2, TeamActivityDialog::TodayState), QStringLiteral("未关联"));
        const int weekOrders = TeamActivityDialog::FirstFigure + ActivityFieldCount + Orders;
        QCOMPARE(cell(1, weekOrders), Clock::now().date().dayOfWeek() == 1 ? QString() : QStringLiteral("4"));

        // The assessment shows the recorded figures beside the reported earnings.
        QMainWindow mainWindow;
        TeamServerController controller(&mainWindow);
        controller.apply(cluster.settings(QStringLiteral("boss")), PgCluster::password(QStringLiteral("boss")));
        TeammateExamineDialog examine;
        examine.assess(1, QStringLiteral("张三"), Clock::now().date().year());
        auto *year = examine.findChild<QLabel *>(QStringLiteral("labelActivityYear"));
        QTRY_VERIFY_WITH_TIMEOUT(year->text().contains(QStringLiteral("保单 7,")), 20000);
    }

    void passwordStaysOutOfSettings()
    {
        TestWorkspace workspace;
        TeamServerDialog dialog;
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditHost"))->setText(QStringLiteral("team.example"));
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditDatabase"))->setText(QStringLiteral("team"));
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditMember"))->setText(QStringLiteral("m9"));
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(QStringLiteral("secret-of-m9"));
        dialog.findChild<QPushButton *>(QStringLiteral("pushButtonOk"))->click();
        QSettings settings(QStringLiteral("CallLedger"), QStringLiteral("CallLedger"));
        QFile file(settings.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        QVERIFY(stored.contains("team.example") && !stored.contains("secret-of-m9"));
        // Read back from the keyring, or from this session's copy when there is none.
        TeamServerDialog again;
        auto *password = again.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"));
        QTRY_COMPARE_WITH_TIMEOUT(password->text(), QStringLiteral("secret-of-m9"), 20000);
    }

    void connectionTest_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("tlsMode");
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<QString>("expected");
        QTest::newRow("right") << "m1" << "pw-m1" << "prefer" << "team" << false << "连接成功";
        QTest::newRow("wrong password") << "m1" << "wrong" << "prefer" << "team" << false << "password authentication failed";
        QTest::newRow("TLS refused") << "m1" << "pw-m1" << "require" << "team" << false << "SSL";
        QTest::newRow("schema missing") << "m1" << "pw-m1" << "prefer" << "postgres" << false << "没有团队数据表";
        QTest::newRow("other version") << "m1" << "pw-m1" << "prefer" << "team_v2" << false << "服务器数据版本为 2";
        QTest::newRow("not a team role") << "outsider" << "pw-outsider" << "prefer" << "team" << false << "permission denied";
        QTest::newRow("nobody listening") << "m1" << "pw-m1" << "prefer" << "team" << true << "refused";
    }

    void connectionTest()
    {
        QFETCH(QString, member);
        QFETCH(QString, password);
        QFETCH(QString, tlsMode);
        QFETCH(QString, database);
        QFETCH(bool, closedPort);
        QFETCH(QString, expected);
        TestWorkspace workspace;
        TeamServerDialog dialog;
        const TeamServerSettings s = cluster.settings(member);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditHost"))->setText(s.host);
        dialog.findChild<QSpinBox *>(QStringLiteral("spinBoxPort"))->setValue(closedPort ? 1 : s.port);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditDatabase"))->setText(database);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditMember"))->setText(member);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(password);
        dialog.findChild<QComboBox *>(QStringLiteral("comboBoxTlsMode"))->setCurrentText(tlsMode);
        QSignalSpy tested(&dialog, &TeamServerDialog::connectionTested);
        dialog.findChild<QPushButton *>(QStringLiteral("pushButtonTest"))->click();
        QVERIFY(tested.wait(20000));
        const QString shown = dialog.findChild<QLabel *>(QStringLiteral("labelTestResult"))->text();
        QVERIFY2(shown.contains(expected), qPrintable(shown));
    }
};

CALLLEDGER_TEST_MAIN(TeamServerTest, QApplication)
#include "tst_teamserver.moc"
