#include "app/appsettings.h"
#include "app/dateutils.h"
#include "calling/contactalerts.h"
#include "store/changewatch.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/helperstore.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <memory>

namespace {
const QDate day(2026, 3, 9);

QDateTime at(const QString &time)
{
    return QDateTime(day, QTime::fromString(time, time.size() > 5 ? "HH:mm:ss" : "HH:mm"));
}

// P1 张三, P2 李四 (prospects), R1 王五 (recruit), each with id 1.
void addPeople()
{
    QVERIFY(addCustomer("张三", 1, "1980-01-01", "13800000001", {}, {}, {}, {}));
    QVERIFY(addCustomer("李四", 1, "1980-01-01", "13800000002", {}, {}, {}, {}));
    QVERIFY(addHelper("王五", 1, "1980-01-01", "13900000001", {}, {}, {}, {}, 1));
}

// "P1 09:00 10:30": a contact with P1 recorded at 09:00 that promises the
// next one at 10:30 ("+5" five days on), saved the way the call dialogs do.
void recordContact(const QStringList &words, int nextType)
{
    const QString person = words.at(1);
    const Seconds added = at(words.at(2)).toSecsSinceEpoch();
    const Seconds next =
        words.at(3) == "+5" ? added + 5 * 86400 : at(words.at(3)).toSecsSinceEpoch();
    Clock::setFixedNow(at(words.at(2)));
    const int id = person.mid(1).toInt();
    const bool ok = person.startsWith('P')
                        ? recordCustomerContact(id, 1, "通话", next, nextType, added, 2)
                        : recordHelperContact(id, 1, "通话", next, nextType, added, 2);
    QVERIFY(ok);
}
} // namespace

class TestContactAlerts : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setFixedNow(at("08:00")); }
    void cleanup() { Clock::setFixedNow(QDateTime()); }

    // Steps: "log|visit <person> <added> <next>", "at <time>" (a tick),
    // "restart", "off", "on". Each alert reads "<tick time>|<text>".
    void alertsOnce_data()
    {
        QTest::addColumn<int>("lead");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const QString p1At1030 = "10:30 电话 张三 13800000001";
        QTest::newRow("10:30 alerts once at 10:25, also after a restart")
            << 5 << QStringList{"log P1 09:00 10:30", "at 10:00", "at 10:24:59",
                                "at 10:25",           "at 10:26", "restart",
                                "at 10:27",           "restart",  "at 10:31"}
            << QStringList{"10:25:00|" + p1At1030};
        QTest::newRow("a newer log moves the time to 11:00")
            << 5 << QStringList{"log P1 09:00 10:30",
                                "at 10:00",
                                "log P1 10:10 11:00",
                                "at 10:25",
                                "at 10:54:59",
                                "at 10:55",
                                "at 11:30"}
            << QStringList{"10:55:00|11:00 电话 张三 13800000001"};
        QTest::newRow("a contact saved at 10:00 cancels the 10:30 alert")
            << 5
            << QStringList{"log P1 09:00 10:30", "at 09:30", "log P1 10:00 +5", "at 10:25",
                           "at 10:31"}
            << QStringList{};
        QTest::newRow("missed at start are gathered into one")
            << 5
            << QStringList{"log P1 07:00 08:00",
                           "visit R1 07:00 09:00",
                           "log P2 07:00 11:00",
                           "at 10:00",
                           "at 10:55",
                           "restart",
                           "at 10:56"}
            << QStringList{"10:00:00|missed 2", "10:55:00|11:00 电话 李四 13800000002"};
        QTest::newRow("a visit of a recruit")
            << 10 << QStringList{"visit R1 09:00 14:00", "at 13:49:59", "at 13:50"}
            << QStringList{"13:50:00|14:00 约访 王五 13900000001"};
        QTest::newRow("lead time 0 alerts at the time itself")
            << 0 << QStringList{"log P1 09:00 10:30", "at 10:25", "at 10:29:59", "at 10:30"}
            << QStringList{"10:30:00|" + p1At1030};
        QTest::newRow("switched off nothing; on again gathers what passed")
            << 5 << QStringList{"log P1 09:00 10:30", "at 10:00", "off",      "at 10:25",
                                "at 10:40",           "on",       "at 10:41", "at 10:42"}
            << QStringList{"10:41:00|missed 1"};
    }

    void alertsOnce()
    {
        QFETCH(int, lead);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addPeople();
        appSettings.setContactAlertMinutes(lead);

        QStringList shown;
        DataChangeWatch watch;
        std::unique_ptr<ContactAlerts> alerts;
        auto start = [&] {
            alerts = std::make_unique<ContactAlerts>();
            const auto stamp = [] { return Clock::now().toString("HH:mm:ss") + '|'; };
            connect(
                alerts.get(), &ContactAlerts::contactDue, this,
                [&, stamp](const ScheduledContact &c) { shown << stamp() + contactAlertText(c); });
            connect(alerts.get(), &ContactAlerts::contactsMissed, this,
                    [&, stamp](const QList<ScheduledContact> &missed) {
                        shown << stamp() + "missed " + QString::number(missed.size());
                    });
        };
        start();
        for (const QString &step : steps) {
            const QStringList words = step.split(' ');
            if (words[0] == "at") {
                Clock::setFixedNow(at(words[1]));
                alerts->tick(watch.changed());
            } else if (words[0] == "log" || words[0] == "visit") {
                recordContact(words, words[0] == "visit" ? 2 : 1);
            } else if (words[0] == "restart") {
                start();
            } else {
                appSettings.setContactAlerts(words[0] == "on");
            }
        }
        QCOMPARE(shown, expected);
    }

    void abandonedPeopleAreNotAlerted()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addPeople();
        recordContact({"log", "P1", "09:00", "10:30"}, 1);
        QVERIFY(setCustomerUserType(1, 0));
        ContactAlerts alerts;
        int shown = 0;
        connect(&alerts, &ContactAlerts::contactDue, this, [&] { ++shown; });
        Clock::setFixedNow(at("10:25"));
        alerts.tick(true);
        QCOMPARE(shown, 0);
    }

    // The schedule is read at the start, and again only when the data file
    // changed (by this connection or another one) or a new day began.
    void tickWithNothingChangedRunsNoScheduleQuery()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addPeople();
        Clock::setFixedNow(at("09:00"));
        DataChangeWatch watch;
        watch.changed();
        ContactAlerts alerts;
        const auto ticks = [&](int count) {
            for (int i = 0; i < count; ++i)
                alerts.tick(watch.changed());
            return alerts.scheduleQueries();
        };
        QCOMPARE(ticks(3), 1);

        recordContact({"log", "P1", "09:10", "10:30"}, 1);
        QCOMPARE(ticks(2), 2);

        {
            QSqlDatabase other = openDatabaseConnection("other");
            QSqlQuery insert(other);
            QVERIFY(insert.exec("INSERT INTO helpers_tel_logs (helper_id, add_time, contact_type, "
                                "content, next_contact_time, next_contact_type) VALUES (1, 0, 1, "
                                "'x', 0, 1)"));
        }
        removeDatabaseConnection("other");
        QCOMPARE(ticks(2), 3);

        Clock::setFixedNow(QDateTime(day.addDays(1), QTime(0, 0, 1)));
        QCOMPARE(ticks(2), 4);
    }
};

CALLLEDGER_TEST_MAIN(TestContactAlerts, QCoreApplication)
#include "tst_contactalerts.moc"
