#pragma once

#include "store/customermodels.h"

#include <QSqlTableModel>
#include <QString>

class QObject;

// Products, customer orders with their totals, phone scripts and the web account.

QSqlTableModel *loadProductsModel(QObject *parent, const QString &filter);
bool addProduct(const QString &code, const QString &name, const QString &introduce);

QSqlTableModel *loadPhoneSkillsModel(QObject *parent, const QString &filter);
bool addPhoneSkill(int type, const QString &category, const QString &content);

bool addCustomerOrder(int customerId, int addTime, const QString &productCode, int amount,
                      int money);
void orderTotals(const QString &filter, int &amount, int &money, int &customerCount);
void orderTotalsForPeriod(int from, int to, int &amount, int &money, int &customerCount);
QSqlCustomerOrderQueryModel *loadOrdersModel(QObject *parent, const QString &filter);
QSqlCustomerOrderQueryModel *loadOrdersModelForPeriod(QObject *parent, int from, int to);

bool loadAccount(QString &userName, QString &password);
bool clearAccount();
bool saveAccount(const QString &userName, const QString &password);
