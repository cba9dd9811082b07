#include "store/catalogstore.h"
#include "store/customerstore.h"
#include "store/database.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QTest>

#include <memory>

namespace {
struct Totals
{
    qint64 amount = -7;
    qint64 money = -7;
    qint64 customers = -7;
};

Totals totalsForPeriod(qint64 from, qint64 to)
{
    Totals totals;
    orderTotalsForPeriod(from, to, totals.amount, totals.money, totals.customers);
    return totals;
}
} // namespace

class TestCatalogStore : public QObject
{
    Q_OBJECT

private slots:
    void productsAndDuplicateCodes()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        QVERIFY(addProduct("P-01", "终身寿险", "保障终身"));
        QVERIFY(addProduct("P-02", "意外险", "意外保障"));
        QCOMPARE(warnings.count(), 0);

        QVERIFY(!addProduct("P-01", "重复", "同一编号"));
        QCOMPARE(warnings.count(), 1);
        QCOMPARE(warnings.warnings().first().title, QString("新增产品信息出错."));
        QCOMPARE(warnings.warnings().first().text, QString("产品编号已存在."));
        QCOMPARE(queryValue("SELECT name FROM products WHERE id = 'P-01'").toString(),
                 QString("终身寿险"));

        std::unique_ptr<QSqlTableModel> all(loadProductsModel(nullptr, ""));
        QCOMPARE(all->rowCount(), 2);
        QCOMPARE(all->headerData(0, Qt::Horizontal).toString(), QString("编号"));
        QCOMPARE(all->headerData(2, Qt::Horizontal).toString(), QString("介绍"));
        QCOMPARE(all->editStrategy(), QSqlTableModel::OnRowChange);
        std::unique_ptr<QSqlTableModel> one(loadProductsModel(nullptr, "id = 'P-02'"));
        QCOMPARE(one->rowCount(), 1);
        QCOMPARE(one->data(one->index(0, 1)).toString(), QString("意外险"));
    }

    // A product an order names keeps its code and stays; one without orders
    // can be changed, code and all, or deleted. A refusal says why.
    void productsChangeOrGoUnlessOrdered()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        QVERIFY(addProduct("P1", "终身寿险", "a") && addProduct("P2", "意外险", "b"));
        QVERIFY(addCustomerOrder(1, 100, "P1", 1, 500));
        QVERIFY(!updateProduct("P1", "P9", "x", "y") && !deleteProduct("P1"));
        QVERIFY(!updateProduct("P2", "P1", "x", "y"));
        QStringList said;
        for (const auto &warning : warnings.warnings())
            said << warning.text;
        QCOMPARE(said, QStringList({"该产品已有 1 条订单, 不能修改产品编号.",
                                    "该产品已有 1 条订单, 不能删除.", "产品编号已存在."}));
        QVERIFY(updateProduct("P1", "P1", "终身寿险二", "c") &&
                updateProduct("P2", "P3", "新", "d"));
        QCOMPARE(
            queryValue("SELECT group_concat(id || name || introduce) FROM products").toString(),
            QString("P1终身寿险二c,P3新d"));
        QVERIFY(deleteProduct("P3"));
        QCOMPARE(queryValue("SELECT count(*) FROM products").toInt(), 1);
    }
    void phoneScriptsFilterOnType()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int seeded = queryValue("SELECT count(*) FROM phoneskills").toInt();
        QVERIFY(addPhoneSkill(2, "增员问题", "增员回答"));
        std::unique_ptr<QSqlTableModel> recruiting(loadPhoneSkillsModel(nullptr, "type = 2"));
        QCOMPARE(recruiting->rowCount(), 1);
        QCOMPARE(recruiting->data(recruiting->index(0, 2)).toString(), QString("增员问题"));
        QCOMPARE(recruiting->data(recruiting->index(0, 3)).toString(), QString("增员回答"));
        QCOMPARE(recruiting->headerData(1, Qt::Horizontal).toString(), QString("用途"));
        QCOMPARE(recruiting->headerData(3, Qt::Horizontal).toString(), QString("提示内容"));
        std::unique_ptr<QSqlTableModel> marketing(loadPhoneSkillsModel(nullptr, "type = 1"));
        QCOMPARE(marketing->rowCount(), seeded);
    }

    void orderTotalsCountEveryOrderInThePeriod()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const Totals empty = totalsForPeriod(0, 2000000000);
        QCOMPARE(empty.amount, qint64(0));
        QCOMPARE(empty.money, qint64(0));
        QCOMPARE(empty.customers, qint64(0));

        QVERIFY(addCustomer("张三", 1, "1980-01-01", "1", "", "", "", ""));
        const int zhang = lastInsertId();
        QVERIFY(addCustomer("李四", 0, "1980-01-01", "2", "", "", "", ""));
        const int li = lastInsertId();
        QVERIFY(addProduct("A", "产品甲", "a"));
        QVERIFY(addProduct("B", "产品乙", "b"));
        const int from = 1700000000;
        const int to = from + 86399;
        QVERIFY(addCustomerOrder(zhang, from, "A", 1, 1000));
        QVERIFY(addCustomerOrder(zhang, to, "B", 2, 300));
        QVERIFY(addCustomerOrder(li, from + 50, "A", 3, 20));
        QVERIFY(addCustomerOrder(li, to + 1, "A", 100, 100000)); // the next day
        QVERIFY(queryValue("SELECT count(*) FROM customers_orders WHERE memo IS NULL").toInt() ==
                4);

        Totals day = totalsForPeriod(from, to);
        QCOMPARE(day.amount, qint64(6));
        QCOMPARE(day.money, qint64(1320));
        QCOMPARE(day.customers, qint64(2));

        std::unique_ptr<QSqlCustomerOrderQueryModel> orders(
            loadOrdersModelForPeriod(nullptr, from, to));
        QCOMPARE(orders->rowCount(), 3);
        QStringList names;
        for (int row = 0; row < orders->rowCount(); ++row)
            names << orders->data(orders->index(row, 3)).toString();
        names.sort();
        QCOMPARE(names, QStringList({"张三", "张三", "李四"}));
        QCOMPARE(orders->headerData(3, Qt::Horizontal).toString(), QString("客户"));
        QCOMPARE(orders->headerData(6, Qt::Horizontal).toString(), QString("金额"));
        // The product column is the product's name, not re-decoded.
        QVERIFY(QStringList({"产品甲", "产品乙"})
                    .contains(orders->data(orders->index(0, 4)).toString()));

        // A deleted customer's orders still count, but are no longer listed.
        QVERIFY(execSql(QString("DELETE FROM customers WHERE id = %1").arg(zhang)));
        day = totalsForPeriod(from, to);
        QCOMPARE(day.amount, qint64(6));
        QCOMPARE(day.customers, qint64(2));
        std::unique_ptr<QSqlCustomerOrderQueryModel> remaining(loadOrdersModel(nullptr, ""));
        QCOMPARE(remaining->rowCount(), 2);
        QCOMPARE(remaining->data(remaining->index(0, 3)).toString(), QString("李四"));

        qint64 amount = 0, money = 0, customers = 0;
        orderTotals(QString("customer_id = %1").arg(li), amount, money, customers);
        QCOMPARE(amount, qint64(103));
        QCOMPARE(money, qint64(100020));
        QCOMPARE(customers, qint64(1));

        // A failed query leaves the caller's values alone.
        amount = money = customers = 42;
        orderTotals("no_such_column = 1", amount, money, customers);
        QCOMPARE(amount, qint64(42));
        QCOMPARE(customers, qint64(42));
    }

    void orderModelPassesTheModelTester()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("王五", 1, "1980-01-01", "1", "", "", "", ""));
        QVERIFY(addProduct("A", "产品甲", "a"));
        QVERIFY(addCustomerOrder(lastInsertId(), 10, "A", 1, 1));
        std::unique_ptr<QSqlCustomerOrderQueryModel> orders(loadOrdersModel(nullptr, ""));
        QAbstractItemModelTester tester(orders.get(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(orders->data(orders->index(0, 3), Qt::EditRole).toString(), QString("王五"));
        QVERIFY(!orders->data(orders->index(0, 3), Qt::ToolTipRole).isValid());
    }

    void accountHoldsOneRow()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QString user = "keep-user";
        QString password = "keep-password";
        QVERIFY(!loadAccount(user, password));
        QCOMPARE(user, QString("keep-user"));
        QCOMPARE(password, QString("keep-password"));

        WarningRecorder warnings;
        QVERIFY(saveAccount("first", "p1"));
        QVERIFY(saveAccount("second", "p'2"));
        QCOMPARE(queryValue("SELECT count(*) FROM account").toInt(), 1);
        QVERIFY(loadAccount(user, password));
        QCOMPARE(user, QString("second"));
        QCOMPARE(password, QString("p'2"));
        QVERIFY(clearAccount());
        QVERIFY(!loadAccount(user, password));
        QCOMPARE(user, QString("second"));
        QCOMPARE(warnings.count(), 0);
    }

    void failedAccountInsertKeepsTheStoredAccount()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(saveAccount("first", "p1"));
        QVERIFY(execSql("CREATE TRIGGER refuse BEFORE INSERT ON account "
                        "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        WarningRecorder warnings;
        QVERIFY(!saveAccount("second", "p2"));
        QCOMPARE(warnings.count(), 1);
        QString user, password;
        QVERIFY(loadAccount(user, password));
        QCOMPARE(user + password, QString("firstp1"));
    }

    void failedWritesReportTheDatabaseError()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        for (const char *table : {"products", "phoneskills", "customers_orders", "account"})
            QVERIFY(execSql(QString("DROP TABLE ") + table));
        WarningRecorder warnings;
        QVERIFY(!addProduct("A", "n", "i"));
        QVERIFY(!addPhoneSkill(1, "c", "t"));
        QVERIFY(!addCustomerOrder(1, 1, "A", 1, 1));
        QVERIFY(!clearAccount());
        // Clearing fails and the insert is still tried, reporting its own failure.
        QVERIFY(!saveAccount("u", "p"));
        const QStringList titles = {"新增产品信息出错.", "新增话术信息出错.", "新增订单记录出错.",
                                    "删除帐号信息出错.", "删除帐号信息出错.", "新增帐号信息出错."};
        QCOMPARE(warnings.count(), int(titles.size()));
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(warnings.warnings().at(i).title, titles.at(i));
            QVERIFY2(warnings.warnings().at(i).text.contains("no such table"),
                     qPrintable(warnings.warnings().at(i).text));
        }
        QString user = "u0", password = "p0";
        QVERIFY(!loadAccount(user, password));
        QCOMPARE(user, QString("u0"));
        std::unique_ptr<QSqlCustomerOrderQueryModel> orders(loadOrdersModel(nullptr, ""));
        QCOMPARE(orders->rowCount(), 0);
        std::unique_ptr<QSqlTableModel> products(loadProductsModel(nullptr, ""));
        QCOMPARE(products->rowCount(), 0);
    }
};

CALLLEDGER_TEST_MAIN(TestCatalogStore, QCoreApplication)
#include "tst_catalogstore.moc"
