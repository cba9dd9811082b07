#include "listexport.h"

#include "exchange/tablewriter.h"
#include "widgets/persontexts.h"
#include "store/customermodels.h"
#include "store/nameencoding.h"
#include "store/storequery.h"

#include <QDateTime>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QString plain(const QVariant &value)
{
    return value.toString();
}

QString decoded(const QVariant &value)
{
    return value.isNull() ? QString() : decodeName(value.toString());
}

QString sex(const QVariant &value)
{
    return value.isNull() ? QString() : sexText(value.toInt());
}

QString contacted(const QVariant &value)
{
    return contactedText(value.toInt());
}

QString date(const QVariant &value)
{
    return QDateTime::fromSecsSinceEpoch(value.toLongLong()).toString(QStringLiteral("yyyy-MM-dd"));
}

// The columns the prospect and recruit lists show (the type column is hidden).
QList<ExportColumn> personColumns(bool encodedNames)
{
    const QStringList headers = StoreQuery::personHeaders();
    QList<ExportColumn> columns;
    for (int column = ColumnId; column <= ColumnIsContact; ++column) {
        std::function<QString(const QVariant &)> text = plain;
        if (column == ColumnSex)
            text = sex;
        else if (column == ColumnIsContact)
            text = contacted;
        else if (encodedNames && (column == ColumnName || column == ColumnCompanyName))
            text = decoded;
        columns.append({column, headers.at(column), text,
                        column == ColumnId ? CellKind::Number : CellKind::Text});
    }
    return columns;
}

const QString personFields = QStringLiteral(
    "id, name, sex, birth_date, phone_number, home_address, home_tel, company_name, office, "
    "is_contact");

ExportSource personSource(const QString &sheet, const QString &table, const QString &condition,
                          bool encodedNames)
{
    const QString where = QStringLiteral(" WHERE ") + condition;
    return {sheet,
            QStringLiteral("SELECT ") + personFields + QStringLiteral(" FROM ") + table + where +
                QStringLiteral(" ORDER BY id"),
            QStringLiteral("SELECT count(*) FROM ") + table + where, personColumns(encodedNames)};
}

QString orNonEmpty(const QString &filter, const QString &fallback)
{
    return filter.trimmed().isEmpty() ? fallback : filter;
}
} // namespace

bool parseExportList(const QString &name, ExportList *list)
{
    static const QList<QPair<QString, ExportList>> names = {
        {QStringLiteral("prospects"), ExportList::Prospects},
        {QStringLiteral("recruits"), ExportList::Recruits},
        {QStringLiteral("team"), ExportList::Team},
        {QStringLiteral("orders"), ExportList::Orders},
    };
    for (const auto &[known, value] : names) {
        if (name == known) {
            *list = value;
            return true;
        }
    }
    return false;
}

ExportSource exportSource(ExportList list, const QString &filter)
{
    switch (list) {
    case ExportList::Prospects:
        return personSource(QStringLiteral("准客户"), QStringLiteral("customers"),
                            orNonEmpty(filter, QStringLiteral(" user_type != 0 ")), true);
    case ExportList::Recruits:
        return personSource(QStringLiteral("准增员"), QStringLiteral("helpers"),
                            orNonEmpty(filter, QStringLiteral(" user_type = 1 ")), false);
    case ExportList::Team:
        return personSource(QStringLiteral("团队成员"), QStringLiteral("helpers"),
                            orNonEmpty(filter, QStringLiteral("user_type = 2")), false);
    case ExportList::Orders:
        break;
    }
    // The order list's own query and headers (the hidden customer id left
    // out), its time shown as a date with the full year.
    const QString from =
        QStringLiteral(" FROM customers_orders, customers, products WHERE customers.id = "
                       "customer_id AND products.id = product_id") +
        StoreQuery::andFilter(filter);
    return {QStringLiteral("订单"),
            QStringLiteral("SELECT customers_orders.id, add_time, customer_id, customers.name, "
                           "products.name, amount, money") +
                from + QStringLiteral(" ORDER BY customers_orders.id"),
            QStringLiteral("SELECT count(*)") + from,
            {{0, QStringLiteral("ID"), plain, CellKind::Number},
             {1, QStringLiteral("时间"), date},
             {3, QStringLiteral("客户"), decoded},
             {4, QStringLiteral("产品名称"), plain},
             {5, QStringLiteral("数量"), plain, CellKind::Number},
             {6, QStringLiteral("金额"), plain, CellKind::Number}}};
}

QString orderPeriodFilter(qint64 from, qint64 to)
{
    return StoreQuery::periodCondition(QStringLiteral("add_time"), from, to);
}

ExportResult exportList(const ExportSource &source, const QString &path,
                        const ExportProgress &progress)
{
    ExportResult result;
    qint64 total = 0;
    {
        QSqlQuery count;
        if (count.exec(source.countStatement) && count.next())
            total = count.value(0).toLongLong();
    }
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.exec(source.statement)) {
        result.error = query.lastError().text();
        return result;
    }
    std::unique_ptr<TableWriter> writer = createTableWriter(path, source.sheetName, &result.error);
    if (!writer)
        return result;

    QStringList cells;
    QList<CellKind> kinds;
    for (const ExportColumn &column : source.columns) {
        cells.append(column.header);
        kinds.append(column.kind);
    }
    writer->setColumnKinds(kinds);
    bool ok = writer->writeRow(cells);
    while (ok && query.next()) {
        cells.clear();
        for (const ExportColumn &column : source.columns)
            cells.append(column.text(query.value(column.source)));
        ok = writer->writeRow(cells);
        ++result.rows;
        if (progress && result.rows % 500 == 0 && !progress(result.rows, total)) {
            writer->cancel();
            result.outcome = ExportResult::Cancelled;
            return result;
        }
    }
    if (ok && query.lastError().isValid()) {
        result.error = query.lastError().text();
        ok = false;
    }
    if (!ok) {
        if (result.error.isEmpty())
            result.error = writer->error();
        writer->cancel();
        return result;
    }
    if (!writer->finish()) {
        result.error = writer->error();
        return result;
    }
    if (progress)
        progress(result.rows, total);
    result.outcome = ExportResult::Done;
    return result;
}

ExportResult exportRows(const QString &sheetName, const QStringList &headers,
                        const QList<QStringList> &rows, const QString &path,
                        const QList<CellKind> &kinds)
{
    ExportResult result;
    std::unique_ptr<TableWriter> writer = createTableWriter(path, sheetName, &result.error);
    if (!writer)
        return result;
    writer->setColumnKinds(kinds);
    bool ok = writer->writeRow(headers);
    for (const QStringList &row : rows) {
        if (!ok)
            break;
        ok = writer->writeRow(row);
        ++result.rows;
    }
    if (!ok || !writer->finish()) {
        result.error = writer->error();
        writer->cancel();
        return result;
    }
    result.outcome = ExportResult::Done;
    return result;
}

QString exportSummary(const ExportResult &result, const QString &path)
{
    switch (result.outcome) {
    case ExportResult::Done:
        return QStringLiteral("已导出 %1 条到 %2")
            .arg(result.rows)
            .arg(QDir::toNativeSeparators(path));
    case ExportResult::Cancelled:
        return QStringLiteral("导出已取消，没有写入文件。");
    case ExportResult::Failed:
        break;
    }
    return QStringLiteral("导出失败: %1").arg(result.error);
}
