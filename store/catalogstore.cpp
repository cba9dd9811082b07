#include "catalogstore.h"

#include "common/messagehook.h"
#include "store/storequery.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

using namespace StoreQuery;

QSqlTableModel *loadProductsModel(QObject *parent, const QString &filter)
{
    return loadTableModel(parent, QStringLiteral("products"), filter,
                          {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("介绍")});
}

namespace {
const QString duplicateCode = QStringLiteral("产品编号已存在.");

bool productExists(const QString &code)
{
    return preparedValue(QStringLiteral("SELECT 1 FROM products WHERE id = ?"), {code}).isValid();
}

qint64 ordersNaming(const QString &code)
{
    return preparedValue(
               QStringLiteral("SELECT count(*) FROM customers_orders WHERE product_id = ?"), {code})
        .toLongLong();
}
} // namespace

bool addProduct(const QString &code, const QString &name, const QString &introduce)
{
    QString error;
    if (execPrepared(QStringLiteral("INSERT INTO products(id, name, introduce) VALUES (?, ?, ?)"),
                     {code, name, introduce}, QString(), QSqlDatabase(), &error))
        return true;
    // A taken code is said in the agent's words alone; other failures keep
    // the database's.
    reportWarning(productExists(code) ? duplicateCode : error, QStringLiteral("新增产品信息出错."));
    return false;
}

bool updateProduct(const QString &code, const QString &newCode, const QString &name,
                   const QString &introduce)
{
    const QString title = QStringLiteral("修改产品信息出错.");
    return runInTransaction(
        [&] {
            if (newCode != code) {
                if (const qint64 orders = ordersNaming(code); orders > 0) {
                    reportWarning(
                        QStringLiteral("该产品已有 %1 条订单, 不能修改产品编号.").arg(orders),
                        title);
                    return false;
                }
                if (productExists(newCode)) {
                    reportWarning(duplicateCode, title);
                    return false;
                }
            }
            return execPrepared(
                QStringLiteral("UPDATE products SET id = ?, name = ?, introduce = ? WHERE id = ?"),
                {newCode, name, introduce, code}, title);
        },
        title);
}

bool deleteProduct(const QString &code)
{
    const QString title = QStringLiteral("删除产品信息出错.");
    return runInTransaction(
        [&] {
            if (const qint64 orders = ordersNaming(code); orders > 0) {
                reportWarning(QStringLiteral("该产品已有 %1 条订单, 不能删除.").arg(orders), title);
                return false;
            }
            return execPrepared(QStringLiteral("DELETE FROM products WHERE id = ?"), {code}, title);
        },
        title);
}

QSqlTableModel *loadPhoneSkillsModel(QObject *parent, const QString &filter)
{
    return loadTableModel(parent, QStringLiteral("phoneskills"), filter,
                          {QStringLiteral("ID"), QStringLiteral("用途"), QStringLiteral("类别"),
                           QStringLiteral("提示内容")});
}

bool addPhoneSkill(int type, const QString &category, const QString &content)
{
    return execPrepared(
        QStringLiteral("INSERT INTO phoneskills(type, category, content) VALUES (?, ?, ?)"),
        {type, category, content}, QStringLiteral("新增话术信息出错."));
}

bool addCustomerOrder(int customerId, qint64 addTime, const QString &productCode, int amount,
                      qint64 money)
{
    return execPrepared(QStringLiteral("INSERT INTO customers_orders(customer_id, add_time, "
                                       "product_id, amount, money)VALUES (?, ?, ?, ?, ?)"),
                        {customerId, addTime, productCode, amount, money},
                        QStringLiteral("新增订单记录出错."));
}

bool addCustomerOrderLines(int customerId, qint64 addTime, const QList<OrderLine> &lines,
                           const std::function<bool()> &alongside)
{
    return runInTransaction(
        [&] {
            for (const OrderLine &line : lines) {
                if (!addCustomerOrder(customerId, addTime, line.productCode, line.amount,
                                      line.money))
                    return false;
            }
            return !alongside || alongside();
        },
        QStringLiteral("新增订单记录出错."));
}

void orderTotals(const QString &filter, qint64 &amount, qint64 &money, qint64 &customerCount)
{
    // No join: orders of deleted customers still count.
    QString statement = QStringLiteral(
        "SELECT sum(amount), sum(money), count(DISTINCT customer_id)  FROM customers_orders ");
    if (!filter.isEmpty())
        statement += QStringLiteral(" WHERE ") + filter;
    QSqlQueryModel model;
    runQuery(&model, statement);
    if (model.rowCount() < 1)
        return;
    amount = model.data(model.index(0, 0)).toLongLong();
    money = model.data(model.index(0, 1)).toLongLong();
    customerCount = model.data(model.index(0, 2)).toLongLong();
}

void orderTotalsForPeriod(qint64 from, qint64 to, qint64 &amount, qint64 &money,
                          qint64 &customerCount)
{
    orderTotals(periodCondition(QStringLiteral("add_time"), from, to), amount, money,
                customerCount);
}

QSqlCustomerOrderQueryModel *loadOrdersModel(QObject *parent, const QString &filter)
{
    auto *model = new QSqlCustomerOrderQueryModel(parent);
    runQuery(model,
             QStringLiteral("SELECT customers_orders.id, add_time, customer_id, customers.name, "
                            "products.name, amount, money  FROM customers_orders, customers, "
                            "products  WHERE customers.id = customer_id AND products.id = "
                            "product_id ") +
                 andFilter(filter));
    setHeaders(model, {QStringLiteral("ID"), QStringLiteral("时间"), QStringLiteral("客户ID"),
                       QStringLiteral("客户"), QStringLiteral("产品名称"), QStringLiteral("数量"),
                       QStringLiteral("金额")});
    return model;
}

QSqlCustomerOrderQueryModel *loadOrdersModelForPeriod(QObject *parent, qint64 from, qint64 to)
{
    return loadOrdersModel(parent, periodCondition(QStringLiteral("add_time"), from, to));
}

bool loadAccount(QString &userName, QString &password)
{
    QSqlTableModel model(nullptr, QSqlDatabase());
    model.setTable(QStringLiteral("account"));
    if (!model.select() || model.rowCount() < 1)
        return false;
    const QSqlRecord record = model.record(0);
    userName = record.value(QStringLiteral("userName")).toString();
    password = record.value(QStringLiteral("password")).toString();
    return true;
}

bool clearAccount()
{
    return execPrepared(QStringLiteral("DELETE FROM account"), {},
                        QStringLiteral("删除帐号信息出错."));
}

bool saveAccount(const QString &userName, const QString &password)
{
    // One transaction: a failed insert must not lose the account stored before.
    // The insert is still tried after a failed clear, so both report.
    const QString title = QStringLiteral("新增帐号信息出错.");
    return runInTransaction(
        [&] {
            const bool cleared = clearAccount();
            const bool inserted = execPrepared(
                QStringLiteral("INSERT INTO account(userName, password)VALUES (?, ?)"),
                {userName, password}, title);
            return cleared && inserted;
        },
        title);
}
