#include "callrecords.h"

#include "common/calltools.h"
#include "common/messagehook.h"
#include "store/phonerecords.h"
#include "store/sidetables.h"
#include "store/storequery.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

using namespace StoreQuery;

bool prepareCallRecords(QSqlDatabase &db)
{
    static const char *const statements[] = {
        "CREATE TABLE IF NOT EXISTS contact_durations (kind INTEGER NOT NULL, "
        "log_id INTEGER NOT NULL, seconds INTEGER NOT NULL, PRIMARY KEY (kind, log_id))",
        "CREATE TABLE IF NOT EXISTS contact_outcomes (kind INTEGER NOT NULL, "
        "log_id INTEGER NOT NULL, outcome TEXT NOT NULL, PRIMARY KEY (kind, log_id))",
    };
    QSqlQuery query(db);
    for (const char *statement : statements) {
        if (!query.exec(QString::fromLatin1(statement)))
            return false;
    }
    return true;
}

namespace {
QString logTable(CallRecordKind kind)
{
    return kind == ProspectCalls ? QStringLiteral("customers_tel_logs")
                                 : QStringLiteral("helpers_tel_logs");
}

QString personColumn(CallRecordKind kind)
{
    return kind == ProspectCalls ? QStringLiteral("customer_id") : QStringLiteral("helper_id");
}

// The log columns and the two side columns, joined by the log's id.
class CallHistoryModel : public QSqlTableModel
{
public:
    CallHistoryModel(QObject *parent, CallRecordKind kind, qint64 personId)
        : QSqlTableModel(parent, QSqlDatabase()), kind(kind), personId(personId)
    {
    }

protected:
    QString selectStatement() const override
    {
        const QString k = QString::number(int(kind));
        return QStringLiteral(
                   "SELECT l.*, CASE WHEN d.seconds IS NULL THEN '' ELSE (d.seconds / 60) || ':' "
                   "|| substr('0' || (d.seconds % 60), -2) END, coalesce(o.outcome, ''), CASE WHEN "
                   "EXISTS (SELECT 1 FROM contact_recordings r WHERE r.kind = ") +
               k + QStringLiteral(" AND r.log_id = l.id) THEN '有' ELSE '' END FROM ") +
               logTable(kind) + QStringLiteral(" l LEFT JOIN contact_durations d ON d.kind = ") +
               k +
               QStringLiteral(" AND d.log_id = l.id LEFT JOIN contact_outcomes o ON o.kind = ") +
               k + QStringLiteral(" AND o.log_id = l.id WHERE l.") + personColumn(kind) +
               QStringLiteral(" = ") + QString::number(personId) + QStringLiteral(" ORDER BY l.id");
    }

private:
    CallRecordKind kind;
    qint64 personId;
};
} // namespace

bool addCallDetails(CallRecordKind kind, const CallDetails &details)
{
    const QString title = QStringLiteral("新增电话记录出错.");
    if (details.seconds && (*details.seconds < 0 || *details.seconds > maxTalkSeconds)) {
        reportWarning(
            QStringLiteral("通话时长 %1 秒不可信(时钟可能有误), 未保存.").arg(*details.seconds),
            title);
        return false;
    }
    if (!details.seconds && details.outcome.isEmpty() && details.pendingCalls.isEmpty())
        return true;
    QSqlQuery last;
    if (!last.exec(QStringLiteral("SELECT last_insert_rowid()")) || !last.next()) {
        reportWarning(last.lastError().text(), title);
        return false;
    }
    const qint64 logId = last.value(0).toLongLong();
    if (details.seconds &&
        !execPrepared(QStringLiteral("INSERT INTO contact_durations(kind, log_id, seconds) VALUES "
                                     "(?, ?, ?)"),
                      {int(kind), logId, *details.seconds}, title))
        return false;
    if (!claimPendingCalls(int(kind), logId, details.pendingCalls))
        return false;
    return details.outcome.isEmpty() ||
           execPrepared(QStringLiteral("INSERT INTO contact_outcomes(kind, log_id, outcome) VALUES "
                                       "(?, ?, ?)"),
                        {int(kind), logId, details.outcome}, title);
}

qint64 talkSecondsBetween(CallRecordKind kind, qint64 from, qint64 to, const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // A period of whole quarter hours (a day) from the totals, once built.
    if (from % 900 == 0 && (to + 1) % 900 == 0 && statisticsTablesBuilt(int(kind), db)) {
        if (query.exec(QStringLiteral("SELECT coalesce(sum(talk_seconds), 0) FROM stat_slots "
                                      "WHERE kind = %1 AND slot BETWEEN %2 AND %3")
                           .arg(int(kind))
                           .arg(from / 900)
                           .arg(to / 900)) &&
            query.next())
            return query.value(0).toLongLong();
        qDebug() << query.lastError().text();
    }
    // CROSS JOIN keeps the logs outside: driven from every talk time of the
    // kind instead, the sum read the whole side table.
    const QString statement =
        QStringLiteral("SELECT coalesce(sum(d.seconds), 0) FROM ") + logTable(kind) +
        QStringLiteral(" l CROSS JOIN contact_durations d WHERE d.kind = ") +
        QString::number(int(kind)) + QStringLiteral(" AND d.log_id = l.id AND") +
        periodCondition(QStringLiteral("l.add_time"), from, to);
    if (!query.exec(statement) || !query.next()) {
        qDebug() << statement << query.lastError().text();
        return 0;
    }
    return query.value(0).toLongLong();
}

QSqlTableModel *loadCallHistoryModel(QObject *parent, CallRecordKind kind, qint64 personId)
{
    auto *model = new CallHistoryModel(parent, kind, personId);
    model->setTable(logTable(kind));
    if (!model->select())
        qDebug() << model->lastError().text();
    QStringList headers = telLogHeaders();
    headers << QStringLiteral("通话时长") << QStringLiteral("结果") << QStringLiteral("录音");
    setHeaders(model, headers);
    return model;
}
