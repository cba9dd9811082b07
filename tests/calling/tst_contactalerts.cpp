#include "common/appsettings.h"
#include "common/dateutils.h"
#include "calling/contactalerts.h"
#include "store/changewatch.h"
#include "store/customerstore.h"
#include "store/helperstore.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QCoreApplication>

#include <memory>

namespace {
const QDate day(2026, 3, 9);

QDateTime at(const QString &time)
{
    return QDateTime(day, QTime::fromString(time, time.size() > 5 ? "HH:mm:ss" : "HH:mm"));
}

// P1 张三, P2 李四 (prospects) and R1 王五 (recruit).
void addPeople()
{
    QVERIFY(addCustomer("张三", 1, "1980-01-01", "13800000001", {}, {}, {}, {}));
    QVERIFY(addCustomer("李四", 1, "1980-01-01", "13800000002", {}, {}, {}, {}));
    QVERIFY(addHelper("王五", 1, "1980-01-01", "13900000001", {}, {}, {}, {}, 1));
}

// {"log"|"visit", "P1", "09:00", "10:30"}: a contact saved at 09:00, as the
// call dialogs save it, promising the next at 10:30 ("+5": five days on).
void recordContact(const QStringList &words)
{
    const Seconds added = at(words[2]).toSecsSinceEpoch();
    const Seconds next = words[3] == "+5" ? added + 5 * 86400 : at(words[3]).toSecsSinceEpoch();
    const int type = words[0] == "visit" ? 2 : 1;
    const int id = words[1].mid(1).toInt();
    Clock::setFixedNow(at(words[2]));
    QVERIFY(words[1].startsWith('P') ? recordCustomerContact(id, 1, "通话", next, type, added, 2)
                                     : recordHelperContact(id, 1, "通话", next, type, added, 2));
}
} // namespace

class TestContactAlerts : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::setFixedNow(QDateTime()); }

    // Steps, split at ", ": "log|visit <person> <saved> <next>", "at <time>"
    // (a tick), "restart", "off", "on", "abandon P1". Alerts read "<tick>|<text>",
    // split at "; ".
    void alertsOnce_data()
    {
        QTest::addColumn<int>("lead");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const QString zhang1030 = "|10:30 电话 张三 13800000001";
        QTest::newRow("10:30 alerts once at 10:25, also after restarts")
            << 5
            << "log P1 09:00 10:30, at 10:00, at 10:24:59, at 10:25, at 10:26, restart, "
               "at 10:27, restart, at 10:31"
            << "10:25:00" + zhang1030;
        QTest::newRow("a newer log moves the time to 11:00")
            << 5
            << "log P1 09:00 10:30, at 10:00, log P1 10:10 11:00, at 10:25, at 10:54:59, "
               "at 10:55, at 11:30"
            << "10:55:00|11:00 电话 张三 13800000001";
        QTest::newRow("a contact saved at 10:00 cancels the 10:30 alert")
            << 5 << "log P1 09:00 10:30, at 09:30, log P1 10:00 +5, at 10:31" << QString();
        QTest::newRow("missed at start are gathered into one")
            << 5
            << "log P1 07:00 08:00, visit R1 07:00 09:00, log P2 07:00 11:00, at 10:00, "
               "at 10:55, restart, at 10:56"
            << "10:00:00|missed 2; 10:55:00|11:00 电话 李四 13800000002";
        QTest::newRow("a start within the lead time alerts on its own")
            << 5 << "log P1 09:00 10:30, at 10:27"
            << "10:27:00" + zhang1030;
        QTest::newRow("a recruit's visit, 10 minutes ahead")
            << 10 << "visit R1 09:00 14:00, at 13:49:59, at 13:50"
            << "13:50:00|14:00 约访 王五 13900000001";
        QTest::newRow("lead time 0 alerts at the time itself")
            << 0 << "log P1 09:00 10:30, at 10:25, at 10:29:59, at 10:30"
            << "10:30:00" + zhang1030;
        QTest::newRow("switched off nothing; on again gathers what passed")
            << 5 << "log P1 09:00 10:30, at 10:00, off, at 10:25, at 10:40, on, at 10:41, at 10:42"
            << "10:41:00|missed 1";
        QTest::newRow("an abandoned prospect is not alerted")
            << 5 << "log P1 09:00 10:30, abandon P1, at 10:25" << QString();
    }

    void alertsOnce()
    {
        QFETCH(int, lead);
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addPeople();
        Clock::setFixedNow(at("06:00"));
        appSettings.setContactAlertMinutes(lead);

        QStringList shown;
        DataChangeWatch watch;
        std::unique_ptr<ContactAlerts> alerts;
        const auto start = [&] {
            alerts = std::make_unique<ContactAlerts>();
            connect(alerts.get(), &ContactAlerts::contactDue, this, [&](const ScheduledContact &c) {
                shown << Clock::now().toString("HH:mm:ss|") + contactAlertText(c);
            });
            connect(alerts.get(), &ContactAlerts::contactsMissed, this,
                    [&](const QList<ScheduledContact> &missed) {
                        shown << Clock::now().toString("HH:mm:ss|") + "missed " +
                                     QString::number(missed.size());
                    });
        };
        start();
        for (const QString &step : steps.split(", ")) {
            const QStringList words = step.split(' ');
            if (words[0] == "at") {
                Clock::setFixedNow(at(words[1]));
                alerts->tick(watch.changed());
            } else if (words[0] == "log" || words[0] == "visit") {
                recordContact(words);
            } else if (words[0] == "restart") {
                start();
            } else if (words[0] == "abandon") {
                QVERIFY(setCustomerUserType(words[1].mid(1).toInt(), 0));
            } else {
                appSettings.setContactAlerts(words[0] == "on");
            }
        }
        QCOMPARE(shown.join("; "), expected);
    }

    // Read at the start, then only when the data changed or a day began.
    void tickWithNothingChangedRunsNoScheduleQuery()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        Clock::setFixedNow(at("09:00"));
        ContactAlerts alerts;
        alerts.tick(false);
        alerts.tick(false);
        QCOMPARE(alerts.scheduleQueries(), 1);
        alerts.tick(true);
        QCOMPARE(alerts.scheduleQueries(), 2);
        Clock::setFixedNow(QDateTime(day.addDays(1), QTime(0, 0, 1)));
        alerts.tick(false);
        alerts.tick(false);
        QCOMPARE(alerts.scheduleQueries(), 3);
    }
};

CALLLEDGER_TEST_MAIN(TestContactAlerts, QCoreApplication)
#include "tst_contactalerts.moc"
