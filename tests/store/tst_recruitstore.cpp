#include "store/database.h"
#include "store/helperstore.h"
#include "store/teamstore.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

namespace {
int addNamedHelper(const QString &name, int userType)
{
    if (!addHelper(name, 1, "1985-03-04", "139", "地址", "010", "公司", "职务", userType))
        return -1;
    return lastInsertId();
}

QStringList column(const QAbstractItemModel &model, int col)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.data(model.index(row, col)).toString();
    return values;
}
} // namespace

class TestRecruitStore : public QObject
{
    Q_OBJECT

private slots:
    void recruitsAreStoredPlainWithTheirType()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        const int recruit = addNamedHelper("周九", 1);
        const int member = addNamedHelper("吴十", 2);
        QVERIFY(recruit > 0 && member > recruit);
        QCOMPARE(
            queryValue(QString("SELECT name FROM helpers WHERE id = %1").arg(recruit)).toString(),
            QString("周九"));
        QCOMPARE(
            queryValue(QString("SELECT user_type FROM helpers WHERE id = %1").arg(member)).toInt(),
            2);
        QCOMPARE(
            queryValue(QString("SELECT is_contact FROM helpers WHERE id = %1").arg(member)).toInt(),
            0);

        std::unique_ptr<QSqlTableModel> active(loadHelpersModel(nullptr, "user_type = 1"));
        QCOMPARE(column(*active, 1), QStringList({"周九"}));
        QCOMPARE(active->headerData(1, Qt::Horizontal).toString(), QString("姓名"));
        QCOMPARE(active->headerData(10, Qt::Horizontal).toString(), QString("用户类型"));
        QCOMPARE(active->editStrategy(), QSqlTableModel::OnRowChange);

        QVERIFY(setHelperContacted(recruit));
        QVERIFY(setHelperUserType(recruit, 0));
        std::unique_ptr<QSqlTableModel> afterAbandon(loadHelpersModel(nullptr, "user_type = 1"));
        QCOMPARE(afterAbandon->rowCount(), 0);
        std::unique_ptr<QSqlTableModel> all(loadHelpersModel(nullptr, ""));
        QCOMPARE(all->rowCount(), 2);
        QCOMPARE(queryValue(QString("SELECT is_contact FROM helpers WHERE id = %1").arg(recruit))
                     .toInt(),
                 1);

        QVERIFY(addHelperTelLog(member, 2, "面谈", 5000, 1, 4000));
        std::unique_ptr<QSqlTableModel> logs(
            loadHelperTelLogsModel(nullptr, QString("helper_id = %1").arg(member)));
        QCOMPARE(logs->rowCount(), 1);
        QCOMPARE(logs->data(logs->index(0, 2)).toInt(), 4000);
        QCOMPARE(logs->data(logs->index(0, 3)).toInt(), 2);
        QCOMPARE(logs->data(logs->index(0, 5)).toInt(), 5000);
        QCOMPARE(logs->data(logs->index(0, 6)).toInt(), 1);
        QCOMPARE(logs->headerData(1, Qt::Horizontal).toString(), QString("客户ID"));
        QVERIFY(addHelperContactTrack(member, 4000, 1));
        QCOMPARE(queryValue("SELECT helper_id || ',' || contact_time || ',' || contact_state FROM "
                            "helpers_contact_track")
                     .toString(),
                 QString("%1,4000,1").arg(member));
        QCOMPARE(warnings.count(), 0);
    }

    void helperCountsCountDistinctRecruits()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int begin = 1700000000;
        const int end = begin + 86399;
        // Recruit 1 called twice in the day, recruit 2 visited, recruit 3 the day after.
        QVERIFY(addHelperTelLog(1, 1, "a", begin + 10, 1, begin));
        QVERIFY(addHelperTelLog(1, 1, "b", end, 2, end));
        QVERIFY(addHelperTelLog(2, 2, "c", begin + 20, 2, begin + 5));
        QVERIFY(addHelperTelLog(3, 1, "d", end + 1, 1, end + 1));
        QCOMPARE(countHelpersContacted(begin, end, 1), 1);
        QCOMPARE(countHelpersContacted(begin, end, 0), 2);
        QCOMPARE(countHelpersContacted(begin, end, 2), 1);
        QCOMPARE(countHelpersToContact(begin, end, 1), 1);
        QCOMPARE(countHelpersToContact(begin, end, 2), 2);
        // The type is always compared: 0 matches no stored type.
        QCOMPARE(countHelpersToContact(begin, end, 0), 0);

        QVERIFY(addHelperContactTrack(1, begin, 1));
        QVERIFY(addHelperContactTrack(1, end, 2));
        QVERIFY(addHelperContactTrack(2, end + 1, 2));
        QCOMPARE(countHelperContactTracks(begin, end, 0), 1);
        QCOMPARE(countHelperContactTracks(begin, end, 2), 1);
        QCOMPARE(countHelperContactTracks(begin, end + 1, 2), 2);

        QVERIFY(beginTransaction());
        for (int id = 100; id < 500; ++id)
            QVERIFY(addHelperTelLog(id, 1, "x", begin + 100, 1, begin + 100));
        QVERIFY(commitTransaction());
        QCOMPARE(countHelpersContacted(begin, end, 1), 401);
        QCOMPARE(countHelpersToContact(begin, end, 1), 401);
    }

    void plansExistPerYearAndHideWithTheirMember()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        const int member = addNamedHelper("郑一", 2);
        const int other = addNamedHelper("王二", 2);
        QVERIFY(!teammateTaskExists(member, 2026));
        QVERIFY(addTeammateTask(member, 2026, 1767196800, 100000, 5));
        QVERIFY(teammateTaskExists(member, 2026));
        QVERIFY(!teammateTaskExists(member, 2027));
        QVERIFY(!teammateTaskExists(other, 2026));
        QVERIFY(addTeammateTask(other, 2027, 1798732800, 2000, 1));

        std::unique_ptr<QSqlQueryModel> plans(loadTeammateTasksModel(nullptr, ""));
        QCOMPARE(plans->rowCount(), 2);
        QCOMPARE(plans->headerData(2, Qt::Horizontal).toString(), QString("成员姓名"));
        QCOMPARE(plans->headerData(6, Qt::Horizontal).toString(), QString("计划完成增员数"));
        std::unique_ptr<QSqlQueryModel> plans2026(loadTeammateTasksModel(nullptr, "year = 2026"));
        QCOMPARE(plans2026->rowCount(), 1);
        QCOMPARE(plans2026->data(plans2026->index(0, 1)).toInt(), member);
        QCOMPARE(plans2026->data(plans2026->index(0, 2)).toString(), QString("郑一"));
        QCOMPARE(plans2026->data(plans2026->index(0, 3)).toInt(), 2026);
        QCOMPARE(plans2026->data(plans2026->index(0, 4)).toInt(), 1767196800);
        QCOMPARE(plans2026->data(plans2026->index(0, 5)).toInt(), 100000);
        QCOMPARE(plans2026->data(plans2026->index(0, 6)).toInt(), 5);

        QVERIFY(addEarningReport(member, 1767200000, 1000, 1, "一月"));
        QVERIFY(addEarningReport(other, 1767200000, 10, 0, ""));
        std::unique_ptr<QSqlQueryModel> reports(loadEarningReportsModel(nullptr));
        QCOMPARE(reports->rowCount(), 2);
        QCOMPARE(reports->headerData(6, Qt::Horizontal).toString(), QString("备注"));

        QVERIFY(execSql(QString("DELETE FROM helpers WHERE id = %1").arg(member)));
        std::unique_ptr<QSqlQueryModel> plansAfter(loadTeammateTasksModel(nullptr, ""));
        QCOMPARE(column(*plansAfter, 2), QStringList({"王二"}));
        std::unique_ptr<QSqlQueryModel> reportsAfter(loadEarningReportsModel(nullptr));
        QCOMPARE(column(*reportsAfter, 2), QStringList({"王二"}));
        QCOMPARE(queryValue("SELECT count(*) FROM teammate_task").toInt(), 2);
        QCOMPARE(queryValue("SELECT count(*) FROM teammate_earning_report").toInt(), 2);
        QCOMPARE(warnings.count(), 0);
    }

    void earningSumsCoverTheClosedPeriod()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int member = addNamedHelper("冯三", 2);
        const int from = 1767196800;
        const int to = from + 31 * 86400 - 1;

        std::unique_ptr<QSqlQueryModel> none(loadEarningSumModelForPeriod(member, from, to));
        QVERIFY(none->parent() == nullptr);
        QCOMPARE(none->rowCount(), 1);
        // Nothing reported: empty values, not 0.
        QVERIFY(none->data(none->index(0, 0)).isNull());
        QVERIFY(none->data(none->index(0, 1)).isNull());
        QCOMPARE(none->headerData(0, Qt::Horizontal).toString(), QString("实际销售额"));
        QCOMPARE(none->headerData(1, Qt::Horizontal).toString(), QString("实际成功增员数"));

        QVERIFY(addEarningReport(member, from, 1000, 2, "a"));
        QVERIFY(addEarningReport(member, to, 500, 1, "b"));
        QVERIFY(addEarningReport(member, to + 1, 7000, 9, "next period"));
        QVERIFY(addEarningReport(member, from - 1, 9000, 9, "previous period"));
        QVERIFY(addEarningReport(member + 1, from + 5, 3000, 3, "someone else"));
        std::unique_ptr<QSqlQueryModel> sums(loadEarningSumModelForPeriod(member, from, to));
        QCOMPARE(sums->data(sums->index(0, 0)).toInt(), 1500);
        QCOMPARE(sums->data(sums->index(0, 1)).toInt(), 3);

        std::unique_ptr<QSqlQueryModel> allTime(loadEarningSumModel(member, ""));
        QCOMPARE(allTime->data(allTime->index(0, 0)).toInt(), 17500);
    }

    void failedWritesReportTheDatabaseError()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        for (const char *table : {"helpers", "helpers_tel_logs", "helpers_contact_track",
                                  "teammate_task", "teammate_earning_report"})
            QVERIFY(execSql(QString("DROP TABLE ") + table));
        WarningRecorder warnings;
        QCOMPARE(addNamedHelper("x", 1), -1);
        QVERIFY(!setHelperContacted(1));
        QVERIFY(!setHelperUserType(1, 0));
        QVERIFY(!addHelperTelLog(1, 1, "c", 1, 1, 1));
        QVERIFY(!addHelperContactTrack(1, 1, 1));
        QVERIFY(!addTeammateTask(1, 2026, 0, 1, 1));
        QVERIFY(!addEarningReport(1, 0, 1, 1, ""));
        const QStringList titles = {
            "新增增员信息出错.",     "更新联系标志出错.", "更新增员类型出错.", "新增电话记录出错.",
            "新增联系跟踪记录出错.", "新增成员任务出错.", "新增成员业绩出错."};
        QCOMPARE(warnings.count(), int(titles.size()));
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(warnings.warnings().at(i).title, titles.at(i));
            QVERIFY2(warnings.warnings().at(i).text.contains("no such table"),
                     qPrintable(warnings.warnings().at(i).text));
        }
        QVERIFY(!teammateTaskExists(1, 2026));
        QCOMPARE(countHelpersContacted(0, 2000000000, 0), 0);
        QCOMPARE(countHelperContactTracks(0, 2000000000, 0), 0);
        std::unique_ptr<QSqlTableModel> helpers(loadHelpersModel(nullptr, ""));
        QCOMPARE(helpers->rowCount(), 0);
        std::unique_ptr<QSqlQueryModel> plans(loadTeammateTasksModel(nullptr, ""));
        QCOMPARE(plans->rowCount(), 0);
        std::unique_ptr<QSqlQueryModel> sums(loadEarningSumModel(1, ""));
        QCOMPARE(sums->rowCount(), 0);
        QCOMPARE(warnings.count(), int(titles.size()));
    }
};

CALLLEDGER_TEST_MAIN(TestRecruitStore, QCoreApplication)
#include "tst_recruitstore.moc"
