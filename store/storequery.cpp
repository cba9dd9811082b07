#include "storequery.h"

#include "common/messagehook.h"
#include "store/cleantext.h"
#include "store/database.h"

#include <QAbstractItemModel>
#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QSqlTableModel>

namespace StoreQuery {

bool execPrepared(const QString &statement, const QVariantList &values, const QString &title,
                  const QSqlDatabase &db, QString *errorText)
{
    QSqlQuery query(db);
    bool ok = query.prepare(statement);
    if (ok) {
        for (const QVariant &value : values) {
            if (value.typeId() == QMetaType::QString && !value.isNull())
                query.addBindValue(cleanText(value.toString()));
            else
                query.addBindValue(value);
        }
        ok = query.exec();
    }
    if (!ok) {
        // The error only: the statement may carry typed search text.
        qDebug() << query.lastError().text();
        if (errorText)
            *errorText = query.lastError().text();
        if (!title.isEmpty())
            reportWarning(query.lastError().text(), title);
    }
    return ok;
}

QVariant preparedValue(const QString &statement, const QVariantList &values)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return QVariant();
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        return QVariant();
    return query.value(0);
}

bool runInTransaction(const std::function<bool()> &writes, const QString &title)
{
    if (!beginTransaction()) {
        reportWarning(QSqlDatabase::database().lastError().text(), title);
        return false;
    }
    if (!writes()) {
        rollbackTransaction();
        return false;
    }
    if (!commitTransaction()) {
        const QString error = QSqlDatabase::database().lastError().text();
        rollbackTransaction();
        reportWarning(error, title);
        return false;
    }
    return true;
}

int countDistinct(const QString &table, const QString &idColumn, const QString &condition,
                  const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString statement = QStringLiteral("SELECT count(DISTINCT ") + idColumn +
                              QStringLiteral(") FROM ") + table + QStringLiteral(" WHERE ") +
                              condition;
    if (!query.exec(statement)) {
        // The error only: the statement may carry typed search text.
        qDebug() << query.lastError().text();
        return 0;
    }
    return query.next() ? query.value(0).toInt() : 0;
}

int countRowsOf(const QString &statement, const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString count =
        QStringLiteral("SELECT count(*) FROM (") + statement + QStringLiteral(")");
    if (!query.exec(count)) {
        qDebug() << count << query.lastError().text();
        return 0;
    }
    return query.next() ? query.value(0).toInt() : 0;
}

void setHeaders(QAbstractItemModel *model, const QStringList &headers)
{
    for (int column = 0; column < headers.size(); ++column)
        model->setHeaderData(column, Qt::Horizontal, headers.at(column), Qt::EditRole);
}

QSqlTableModel *loadTableModel(QObject *parent, const QString &table, const QString &filter,
                               const QStringList &headers)
{
    auto *model = new QSqlTableModel(parent, QSqlDatabase());
    // Rows edited through a view reach the table cleaned like every insert.
    QObject::connect(model, &QSqlTableModel::beforeInsert, model, cleanRecordTexts);
    QObject::connect(model, &QSqlTableModel::beforeUpdate, model,
                     [](int, QSqlRecord &record) { cleanRecordTexts(record); });
    model->setTable(table);
    if (!filter.isEmpty())
        model->setFilter(filter);
    setHeaders(model, headers);
    if (!model->select())
        qDebug() << model->lastError().text();
    return model;
}

void runQuery(QSqlQueryModel *model, const QString &statement)
{
    model->setQuery(statement, QSqlDatabase());
    if (model->lastError().isValid())
        // The error only: the statement may carry typed search text.
        qDebug() << model->lastError().text();
}

QString andFilter(const QString &filter)
{
    return filter.isEmpty() ? QString() : QStringLiteral(" AND ") + filter;
}

QString periodCondition(const QString &column, qint64 from, qint64 to)
{
    return QLatin1Char(' ') + column + QStringLiteral(" >= ") + QString::number(from) +
           QStringLiteral(" AND ") + column + QStringLiteral(" <= ") + QString::number(to);
}

QString optionalEquals(const QString &column, int value)
{
    if (value == 0)
        return QString();
    return QStringLiteral(" AND ") + column + QStringLiteral(" = ") + QString::number(value);
}

QStringList personHeaders()
{
    return {QStringLiteral("ID"),       QStringLiteral("姓名"),     QStringLiteral("性别"),
            QStringLiteral("生日"),     QStringLiteral("电话号码"), QStringLiteral("家庭/公司地址"),
            QStringLiteral("家庭电话"), QStringLiteral("公司"),     QStringLiteral("职务"),
            QStringLiteral("是否联系"), QStringLiteral("用户类型")};
}

QStringList telLogHeaders()
{
    return {QStringLiteral("ID"),          QStringLiteral("客户ID"), QStringLiteral("时间"),
            QStringLiteral("联系方式"),    QStringLiteral("内容"),   QStringLiteral("下次联系时间"),
            QStringLiteral("下次联系方式")};
}

} // namespace StoreQuery
