#pragma once

#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QSqlTableModel>

// Column order of every prospect and recruit model (recruits stop at UserType).
enum CustomerColumn
{
    ColumnId,
    ColumnName,
    ColumnSex,
    ColumnBirthDate,
    ColumnPhoneNumber,
    ColumnHomeAddress,
    ColumnHomeTel,
    ColumnCompanyName,
    ColumnOffice,
    ColumnIsContact,
    ColumnUserType,
    ColumnServerCustomerId,
};

// Editable prospects: names and companies read decoded and are encoded again
// on their way to the database. Read them through data(), not record().
class QSqlCustomerTableModel : public QSqlTableModel
{
    Q_OBJECT
public:
    explicit QSqlCustomerTableModel(QObject *parent = nullptr, QSqlDatabase db = QSqlDatabase());
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

public slots:
    void beforeUpdate(int row, QSqlRecord &record);
};

// Read-only prospect rows whose columns 1 and 7 are name and company.
class QSqlCustomerQueryModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

// Orders, whose column 3 is the customer's name.
class QSqlCustomerOrderQueryModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

// Calendar rows (log id, time, name), whose column 2 is the prospect's name.
class QSqlCustomerCalendarQueryModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};
