#include "common/dateutils.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "store/helperstore.h"
#include "store/nameencoding.h"
#include "store/schedulestore.h"
#include "store/sqlcondition.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QTest>

#include <memory>

namespace {
const QDate day(2026, 3, 10);

QStringList column(const QAbstractItemModel &model, int col)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.data(model.index(row, col)).toString();
    values.sort();
    return values;
}

int addProspect(const QString &name, int userType = 1)
{
    if (!addCustomer(name, 1, "1980-01-01", "1", "", "", name + "公司", ""))
        return -1;
    const int id = lastInsertId();
    if (userType != 1)
        setCustomerUserType(id, userType);
    return id;
}

int addRecruit(const QString &name, int userType = 1)
{
    if (!addHelper(name, 1, "1980-01-01", "1", "", "", "", "", userType))
        return -1;
    return lastInsertId();
}
} // namespace

class TestScheduleStore : public QObject
{
    Q_OBJECT

private slots:
    void prospectsAreListedOnceByTheirLatestLog()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int begin = GetDayBegin(day);
        const int end = dayEndTime(day);
        const int zhang = addProspect("张三");
        const int li = addProspect("李四", 2); // so do customers
        const int wang = addProspect("王五");
        // 张三: a visit today moved to the end of the day; 李四: one call today;
        // 王五: a visit tomorrow.
        QVERIFY(addCustomerTelLog(zhang, 1, "a", begin + 3600, 2, begin - 86400));
        QVERIFY(addCustomerTelLog(zhang, 1, "b", end, 2, begin - 86000));
        QVERIFY(addCustomerTelLog(li, 2, "c", begin, 1, begin - 100));
        QVERIFY(addCustomerTelLog(wang, 1, "d", end + 1, 2, begin - 50));

        std::unique_ptr<QSqlCustomerCalendarQueryModel> calendar(
            loadCustomerCalendarModel(nullptr, begin, end, 2));
        QCOMPARE(column(*calendar, 2), QStringList({"张三"}));
        QCOMPARE(calendar->headerData(1, Qt::Horizontal).toString(), QString("时间"));
        QCOMPARE(calendar->headerData(2, Qt::Horizontal).toString(), QString("姓名"));
        std::unique_ptr<QSqlCustomerCalendarQueryModel> calls(
            loadCustomerCalendarModel(nullptr, begin, end, 1));
        QCOMPARE(column(*calls, 2), QStringList({"李四"}));

        std::unique_ptr<QSqlCustomerQueryModel> toContact(
            loadCustomersToContactModel(nullptr, begin, end, 0));
        QCOMPARE(column(*toContact, ColumnName), QStringList({"张三", "李四"}));
        QCOMPARE(column(*toContact, ColumnCompanyName), QStringList({"张三公司", "李四公司"}));
        QCOMPARE(toContact->columnCount(), 12);
        QCOMPARE(toContact->headerData(ColumnPromisedTime, Qt::Horizontal).toString(),
                 QString("约定时间"));
        QCOMPARE(toContact->headerData(ColumnIsContact, Qt::Horizontal).toString(),
                 QString("是否联系"));
        std::unique_ptr<QSqlCustomerQueryModel> visits(
            loadCustomersToContactModel(nullptr, begin, end, 2));
        QCOMPARE(column(*visits, ColumnName), QStringList({"张三"}));

        // The period is closed: 23:59:59 is in, 00:00:00 of the next day is not.
        std::unique_ptr<QSqlCustomerCalendarQueryModel> lastSecond(
            loadCustomerCalendarModel(nullptr, end, end, 2));
        QCOMPARE(lastSecond->rowCount(), 1);
        std::unique_ptr<QSqlCustomerQueryModel> tomorrow(
            loadCustomersToContactModel(nullptr, end + 1, dayEndTime(day.addDays(1)), 0));
        QCOMPARE(column(*tomorrow, ColumnName), QStringList({"王五"}));
    }

    void recruitsAreListedOnceByTheirLatestLog()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int begin = GetDayBegin(day);
        const int end = dayEndTime(day);
        const int active = addRecruit("周九");
        const int member = addRecruit("吴十", 2);
        QVERIFY(addHelperTelLog(active, 1, "a", begin, 2, begin - 500));
        QVERIFY(addHelperTelLog(active, 1, "b", end, 2, begin - 400));
        QVERIFY(addHelperTelLog(member, 1, "d", end + 1, 2, begin - 300));
        QVERIFY(addHelperTelLog(member, 1, "c", begin + 60, 2, begin - 200));

        // Both calendars follow the lists' rule, in the order of the times.
        std::unique_ptr<QSqlQueryModel> calendar(loadHelperCalendarModel(nullptr, begin, end, 2));
        QCOMPARE(column(*calendar, 2), QStringList({"吴十", "周九"}));
        std::unique_ptr<QSqlQueryModel> toContact(
            loadHelpersToContactModel(nullptr, begin, end, 0));
        QCOMPARE(column(*toContact, 1), QStringList({"吴十", "周九"}));
        QCOMPARE(toContact->headerData(5, Qt::Horizontal).toString(), QString("家庭/公司地址"));
        std::unique_ptr<QSqlQueryModel> calls(loadHelpersToContactModel(nullptr, begin, end, 1));
        QCOMPARE(calls->rowCount(), 0);
    }

    void contactedProspectsFollowTheTypeAndFilter()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int begin = GetDayBegin(day);
        const int end = dayEndTime(day);
        const int phoned = addProspect("张三");
        const int visited = addProspect("张'伟");
        const int yesterday = addProspect("李四");
        QVERIFY(addCustomerTelLog(phoned, 1, "a", end + 9999, 1, begin));
        QVERIFY(addCustomerTelLog(phoned, 1, "b", end + 9999, 1, end));
        QVERIFY(addCustomerTelLog(visited, 2, "c", end + 9999, 1, begin + 10));
        QVERIFY(addCustomerTelLog(yesterday, 1, "d", begin + 10, 1, begin - 1));

        std::unique_ptr<QSqlCustomerQueryModel> any(
            loadContactedCustomersModel(nullptr, begin, end, 0, ""));
        QCOMPARE(column(*any, ColumnName), QStringList({"张'伟", "张三"}));
        std::unique_ptr<QSqlCustomerQueryModel> phone(
            loadContactedCustomersModel(nullptr, begin, end, 1, ""));
        QCOMPARE(column(*phone, ColumnName), QStringList({"张三"}));
        std::unique_ptr<QSqlCustomerQueryModel> searched(
            loadContactedCustomersModel(nullptr, begin, end, 0, encodedNameContains("name", "'")));
        QCOMPARE(column(*searched, ColumnName), QStringList({"张'伟"}));
        std::unique_ptr<QSqlCustomerQueryModel> earlier(
            loadContactedCustomersModel(nullptr, begin - 86400, begin - 1, 0, ""));
        QCOMPARE(column(*earlier, ColumnName), QStringList({"李四"}));
    }

    void failedQueriesGiveEmptyModels()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(execSql("DROP TABLE customers_tel_logs"));
        QVERIFY(execSql("DROP TABLE helpers_tel_logs"));
        WarningRecorder warnings;
        std::unique_ptr<QSqlCustomerCalendarQueryModel> calendar(
            loadCustomerCalendarModel(nullptr, 0, 1, 2));
        std::unique_ptr<QSqlQueryModel> helperCalendar(loadHelperCalendarModel(nullptr, 0, 1, 2));
        std::unique_ptr<QSqlCustomerQueryModel> toContact(
            loadCustomersToContactModel(nullptr, 0, 1, 0));
        std::unique_ptr<QSqlQueryModel> helpers(loadHelpersToContactModel(nullptr, 0, 1, 0));
        std::unique_ptr<QSqlCustomerQueryModel> contacted(
            loadContactedCustomersModel(nullptr, 0, 1, 0, ""));
        QCOMPARE(calendar->rowCount() + helperCalendar->rowCount() + toContact->rowCount() +
                     helpers->rowCount() + contacted->rowCount(),
                 0);
        QCOMPARE(warnings.count(), 0);
    }

    void calendarModelPassesTheModelTester()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int id = addProspect("赵六");
        QVERIFY(addCustomerTelLog(id, 1, "a", GetDayBegin(day) + 10, 2, 0));
        std::unique_ptr<QSqlCustomerCalendarQueryModel> calendar(
            loadCustomerCalendarModel(nullptr, GetDayBegin(day), dayEndTime(day), 2));
        QAbstractItemModelTester tester(calendar.get(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(calendar->data(calendar->index(0, 2)).toString(), QString("赵六"));
        QCOMPARE(calendar->data(calendar->index(0, 1)).toInt(), GetDayBegin(day) + 10);
    }
};

CALLLEDGER_TEST_MAIN(TestScheduleStore, QCoreApplication)
#include "tst_schedulestore.moc"
