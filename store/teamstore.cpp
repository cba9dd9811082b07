#include "teamstore.h"

#include "common/dateutils.h"
#include "common/messagehook.h"
#include "store/storequery.h"

#include <QDebug>

using namespace StoreQuery;

QSqlQueryModel *loadTeammateTasksModel(QObject *parent, const QString &filter)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model, QStringLiteral("SELECT teammate_task.id, helper_id, helpers.name, year, "
                                   "teammate_task.begin_date, money, helper_count  FROM "
                                   "teammate_task, helpers  WHERE teammate_task.helper_id = "
                                   "helpers.id ") +
                        andFilter(filter));
    setHeaders(model, {QStringLiteral("ID"), QStringLiteral("成员ID"), QStringLiteral("成员姓名"),
                       QStringLiteral("年份"), QStringLiteral("起始日期"),
                       QStringLiteral("计划完成销售额"), QStringLiteral("计划完成增员数")});
    return model;
}

bool teammateTaskExists(int helperId, int year)
{
    QSqlQueryModel model;
    runQuery(&model, QStringLiteral("SELECT count(*) FROM teammate_task WHERE helper_id = ") +
                         QString::number(helperId) + QStringLiteral(" AND year = ") +
                         QString::number(year));
    return model.rowCount() > 0 && model.data(model.index(0, 0)).toInt() >= 1;
}

bool addTeammateTask(int helperId, int year, qint64 beginDate, qint64 money, int helperCount)
{
    return execPrepared(QStringLiteral("INSERT INTO teammate_task (helper_id, year, begin_date, "
                                       "money, helper_count)VALUES (?, ?, ?, ?, ?)"),
                        {helperId, year, beginDate, money, helperCount},
                        QStringLiteral("新增成员任务出错."));
}

bool updateTeammateTask(int id, int helperId, int year, qint64 beginDate, qint64 money,
                        int helperCount)
{
    const QString title = QStringLiteral("修改成员任务出错.");
    return runInTransaction(
        [&] {
            if (preparedValue(QStringLiteral("SELECT 1 FROM teammate_task WHERE helper_id = ? AND "
                                             "year = ? AND id <> ?"),
                              {helperId, year, id})
                    .isValid()) {
                reportWarning(QStringLiteral("已经设定该成员的该年度工作计划"), title);
                return false;
            }
            return execPrepared(QStringLiteral("UPDATE teammate_task SET helper_id = ?, year = ?, "
                                               "begin_date = ?, money = ?, helper_count = ? "
                                               "WHERE id = ?"),
                                {helperId, year, beginDate, money, helperCount, id}, title);
        },
        title);
}

bool deleteTeammateTask(int id)
{
    const QString title = QStringLiteral("删除成员任务出错.");
    return runInTransaction(
        [&] {
            // The plan is what the member's reports of its year are held against.
            const QVariant year =
                preparedValue(QStringLiteral("SELECT year FROM teammate_task WHERE id = ?"), {id});
            const qint64 reports =
                year.isValid()
                    ? preparedValue(
                          QStringLiteral("SELECT count(*) FROM teammate_earning_report WHERE "
                                         "helper_id = (SELECT helper_id FROM teammate_task WHERE "
                                         "id = ?) AND report_time >= ? AND report_time <= ?"),
                          {id, yearBeginTime(year.toInt()), yearEndTime(year.toInt())})
                          .toLongLong()
                    : 0;
            if (reports > 0) {
                reportWarning(QStringLiteral("该成员 %1 年已有 %2 条业绩数据, 不能删除该计划.")
                                  .arg(year.toInt())
                                  .arg(reports),
                              title);
                return false;
            }
            return execPrepared(QStringLiteral("DELETE FROM teammate_task WHERE id = ?"), {id},
                                title);
        },
        title);
}

QSqlQueryModel *loadEarningReportsModel(QObject *parent)
{
    auto *model = new QSqlQueryModel(parent);
    runQuery(model, QStringLiteral("SELECT teammate_earning_report.id, helper_id, helpers.name, "
                                   "report_time, money, helper_count, memo  FROM "
                                   "teammate_earning_report, helpers  WHERE "
                                   "teammate_earning_report.helper_id = helpers.id "));
    setHeaders(model, {QStringLiteral("ID"), QStringLiteral("成员ID"), QStringLiteral("成员姓名"),
                       QStringLiteral("日期"), QStringLiteral("完成销售额"),
                       QStringLiteral("完成增员数"), QStringLiteral("备注")});
    return model;
}

bool addEarningReport(int helperId, qint64 reportTime, qint64 money, int helperCount,
                      const QString &memo)
{
    return execPrepared(QStringLiteral("INSERT INTO teammate_earning_report (helper_id, "
                                       "report_time, money, helper_count, memo)VALUES (?, ?, ?, "
                                       "?, ?)"),
                        {helperId, reportTime, money, helperCount, memo},
                        QStringLiteral("新增成员业绩出错."));
}

bool updateEarningReport(int id, int helperId, qint64 reportTime, qint64 money, int helperCount,
                         const QString &memo)
{
    return execPrepared(QStringLiteral("UPDATE teammate_earning_report SET helper_id = ?, "
                                       "report_time = ?, money = ?, helper_count = ?, memo = ? "
                                       "WHERE id = ?"),
                        {helperId, reportTime, money, helperCount, memo, id},
                        QStringLiteral("修改成员业绩出错."));
}

bool deleteEarningReport(int id)
{
    return execPrepared(QStringLiteral("DELETE FROM teammate_earning_report WHERE id = ?"), {id},
                        QStringLiteral("删除成员业绩出错."));
}

QSqlQueryModel *loadEarningSumModel(int helperId, const QString &filter)
{
    const QString statement = QStringLiteral("SELECT sum(money), sum(helper_count)  FROM "
                                             "teammate_earning_report WHERE helper_id = ") +
                              QString::number(helperId) + andFilter(filter);
    qDebug() << filter << statement;
    auto *model = new QSqlQueryModel;
    runQuery(model, statement);
    setHeaders(model, {QStringLiteral("实际销售额"), QStringLiteral("实际成功增员数")});
    return model;
}

QSqlQueryModel *loadEarningSumModelForPeriod(int helperId, qint64 from, qint64 to)
{
    return loadEarningSumModel(helperId, periodCondition(QStringLiteral("report_time"), from, to));
}
