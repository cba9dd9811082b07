#pragma once

#include "store/customermodels.h"

#include <QList>
#include <QSqlTableModel>
#include <QString>

#include <functional>

class QObject;

// Products, customer orders with their totals, phone scripts and the web account.

QSqlTableModel *loadProductsModel(QObject *parent, const QString &filter);
bool addProduct(const QString &code, const QString &name, const QString &introduce);
// Changes the product of the code; the code itself only while no order names
// it. Deletes a product no order names. The checks run inside the write's
// transaction; a refusal is said under the operation's title and changes
// nothing.
bool updateProduct(const QString &code, const QString &newCode, const QString &name,
                   const QString &introduce);
bool deleteProduct(const QString &code);

QSqlTableModel *loadPhoneSkillsModel(QObject *parent, const QString &filter);
bool addPhoneSkill(int type, const QString &category, const QString &content);

bool addCustomerOrder(int customerId, qint64 addTime, const QString &productCode, int amount,
                      qint64 money);
// One line of an order as the agent entered it.
struct OrderLine
{
    QString productCode;
    int amount = 0;
    qint64 money = 0;
};

// Stores the lines of one order, all with the same time, in one transaction:
// when any line fails the store's message shows and none is kept. Writes
// that belong to the same action (the call that ended in the deal) go in
// alongside, inside that transaction.
bool addCustomerOrderLines(int customerId, qint64 addTime, const QList<OrderLine> &lines,
                           const std::function<bool()> &alongside = {});

void orderTotals(const QString &filter, qint64 &amount, qint64 &money, qint64 &customerCount);
void orderTotalsForPeriod(qint64 from, qint64 to, qint64 &amount, qint64 &money,
                          qint64 &customerCount);
QSqlCustomerOrderQueryModel *loadOrdersModel(QObject *parent, const QString &filter);
QSqlCustomerOrderQueryModel *loadOrdersModelForPeriod(QObject *parent, qint64 from, qint64 to);

bool loadAccount(QString &userName, QString &password);
bool clearAccount();
bool saveAccount(const QString &userName, const QString &password);
