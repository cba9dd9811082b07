#include "customermodels.h"

#include "store/cleantext.h"
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

// Only fields about to be written are touched: the others still hold their
// stored form and must not be encoded a second time.
void encodeField(QSqlRecord &record, const QString &field)
{
    const int index = record.indexOf(field);
    // A NULL company stays NULL rather than turning into an empty text.
    if (index < 0 || !record.isGenerated(index) || record.isNull(index))
        return;
    record.setValue(index, encodeName(record.value(index).toString()));
}

bool isEncodedColumn(int column)
{
    return column == ColumnName || column == ColumnCompanyName;
}
} // namespace

QSqlCustomerTableModel::QSqlCustomerTableModel(QObject *parent, QSqlDatabase db)
    : QSqlTableModel(parent, db)
{
    // Whatever text a view puts into the model must reach the table encoded.
    connect(this, qOverload<int, QSqlRecord &>(&QSqlTableModel::beforeUpdate), this,
            qOverload<int, QSqlRecord &>(&QSqlCustomerTableModel::beforeUpdate));
    connect(this, &QSqlTableModel::beforeInsert, this,
            [this](QSqlRecord &record) { beforeUpdate(-1, record); });
}

QVariant QSqlCustomerTableModel::data(const QModelIndex &index, int role) const
{
    const QVariant value = QSqlTableModel::data(index, role);
    // Stored cells are decoded on the way out; an edited cell already holds
    // the readable text the view put there.
    if (!isEncodedColumn(index.column()) || (role != Qt::DisplayRole && role != Qt::EditRole) ||
        value.isNull() || isDirty(index))
        return value;
    return decodeName(value.toString());
}

void QSqlCustomerTableModel::beforeUpdate(int row, QSqlRecord &record)
{
    Q_UNUSED(row);
    cleanRecordTexts(record);
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
