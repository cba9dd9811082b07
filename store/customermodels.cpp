#include "customermodels.h"

#include "store/nameencoding.h"

namespace {
const QString nameField = QStringLiteral("name");
const QString companyField = QStringLiteral("company_name");

// Decodes a stored cell; cells without a value (other roles) pass unchanged.
QVariant decodedCell(const QVariant &value)
{
    if (!value.isValid())
        return value;
    return decodeName(value.toString());
}

void encodeField(QSqlRecord &record, const QString &field)
{
    const int index = record.indexOf(field);
    // A NULL company stays NULL rather than turning into an empty text.
    if (index < 0 || record.isNull(index))
        return;
    record.setValue(index, encodeName(record.value(index).toString()));
}
} // namespace

QSqlCustomerTableModel::QSqlCustomerTableModel(QObject *parent, QSqlDatabase db)
    : QSqlTableModel(parent, db)
{
    // The readable names sit in the edit cache; they must be stored encoded.
    connect(this, qOverload<int, QSqlRecord &>(&QSqlTableModel::beforeUpdate), this,
            qOverload<int, QSqlRecord &>(&QSqlCustomerTableModel::beforeUpdate));
}

void QSqlCustomerTableModel::beforeUpdate(int row, QSqlRecord &record)
{
    Q_UNUSED(row);
    encodeField(record, nameField);
    encodeField(record, companyField);
}

QVariant QSqlCustomerQueryModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlQueryModel::data(index, role);
    if (index.column() == ColumnName || index.column() == ColumnCompanyName)
        return decodedCell(value);
    return value;
}

QVariant QSqlCustomerOrderQueryModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlQueryModel::data(index, role);
    return index.column() == 3 ? decodedCell(value) : value;
}

QVariant QSqlCustomerCalendarQueryModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlQueryModel::data(index, role);
    return index.column() == 2 ? decodedCell(value) : value;
}
