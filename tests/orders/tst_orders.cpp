#include "prospects/prospectfixtures.h"

#include "app/dateutils.h"
#include "calling/calldialog.h"
#include "orders/addcustomerorderdialog.h"
#include "orders/addproductdialog.h"
#include "orders/customerordersdialog.h"
#include "orders/productsdialog.h"
#include "store/catalogstore.h"
#include "store/customermodels.h"
#include "store/customerstore.h"
#include "support/messagerecorder.h"
#include "support/testmain.h"
#include "support/testworkspace.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>

using namespace Fixtures;

namespace {
template <typename T> T *child(QWidget *dialog, const char *name)
{
    T *widget = dialog->findChild<T *>(name);
    if (!widget)
        qWarning() << "no widget" << name;
    return widget;
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

QTableWidget *lines(QWidget *dialog)
{
    return child<QTableWidget>(dialog, "tableWidget");
}

// Types into a cell the way an agent does: open the editor, type, Enter.
void typeCell(QTableWidget *table, int row, int column, const QString &text, bool keys = true)
{
    const QModelIndex index = table->model()->index(row, column);
    table->setCurrentIndex(index);
    table->edit(index);
    auto *editor = qobject_cast<QLineEdit *>(table->indexWidget(index));
    QVERIFY(editor);
    if (keys)
        QTest::keyClicks(editor, text);
    else
        typeInto(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view takes the text over once the event loop runs.
    QCoreApplication::processEvents();
}

QString cell(QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

int orderLineCount()
{
    return queryValue("SELECT count(*) FROM customers_orders").toInt();
}

bool addOrderAt(int customerId, const QString &product, int amount, qint64 money, QDate day)
{
    return addCustomerOrder(customerId, GetDayBegin(day) + 3600, product, amount, money);
}

QStringList totals(QWidget *dialog)
{
    return {child<QLabel>(dialog, "labelCustomerCount")->text(),
            child<QLabel>(dialog, "labelAmount")->text(),
            child<QLabel>(dialog, "labelMoney")->text()};
}

int listedRows(QWidget *dialog)
{
    return child<QTableView>(dialog, "tableView")->model()->rowCount();
}
} // namespace

class TestOrders : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestWorkspace> workspace;
    int customer = -1;

private slots:
    void init()
    {
        workspace = std::make_unique<TestWorkspace>();
        QVERIFY(workspace->openDatabase());
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
        customer = insertProspect(prospect(QStringLiteral("张三")));
        QVERIFY(addProduct("P1", QStringLiteral("安康保险"), QStringLiteral("重疾")));
        QVERIFY(addProduct("P'2", QStringLiteral("少儿_险%"), QStringLiteral("教育金")));
    }
    void cleanup()
    {
        Clock::setFixedNow(QDateTime());
        workspace.reset();
    }

    void productEntry_data()
    {
        // code | name | introduction typed; message title | text ("" = saved); field focused
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("message");
        QTest::addColumn<QString>("focus");
        const QStringList hint{"提示"};
        QTest::newRow("blank code") << QStringList{"   ", "A", "x"}
                                    << hint + QStringList{"请输入编号."} << "lineEditIdentifie";
        QTest::newRow("blank name")
            << QStringList{"P9", "  ", "x"} << hint + QStringList{"请输入名称."} << "lineEditName";
        QTest::newRow("no introduction")
            << QStringList{"P9", "A", ""} << hint + QStringList{"请输入产品介绍."}
            << "textEditIntroduce";
        QTest::newRow("existing code")
            << QStringList{"P1", "别的", "x"} << QStringList{"新增产品信息出错.", "UNIQUE"} << "";
        QTest::newRow("blank introduction stored as typed")
            << QStringList{" P9 ", " A ", "   "} << QStringList{} << "lineEditIdentifie";
    }
    void productEntry()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, message);
        QFETCH(QString, focus);
        MessageRecorder messages;
        ProductsDialog list;
        auto *view = child<QTableView>(&list, "tableView");
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        AddProductDialog dialog(&list);
        QCOMPARE(dialog.focusWidget()->objectName(), QString("lineEditIdentifie"));
        typeInto(child<QLineEdit>(&dialog, "lineEditIdentifie"), typed.at(0));
        typeInto(child<QLineEdit>(&dialog, "lineEditName"), typed.at(1));
        child<QTextEdit>(&dialog, "textEditIntroduce")->setPlainText(typed.at(2));
        press(&dialog, "pushButtonOk");

        if (!focus.isEmpty())
            QCOMPARE(dialog.focusWidget()->objectName(), focus);
        if (message.isEmpty()) {
            QCOMPARE(messages.count(), 0);
            QCOMPARE(queryValue("SELECT name || '|' || introduce FROM products WHERE id = 'P9'")
                         .toString(),
                     QString("A|   "));
            // Cleared for the next product.
            QVERIFY(child<QLineEdit>(&dialog, "lineEditIdentifie")->text().isEmpty());
            QVERIFY(child<QTextEdit>(&dialog, "textEditIntroduce")->toPlainText().isEmpty());
        } else {
            QCOMPARE(messages.count(), 1);
            QCOMPARE(messages.last().title, message.at(0));
            QVERIFY2(messages.last().text.contains(message.at(1)),
                     qPrintable(messages.last().text));
            QCOMPARE(queryValue("SELECT group_concat(name) FROM products").toString(),
                     QString("安康保险,少儿_险%"));
            // What was typed stays for a correction.
            QCOMPARE(child<QLineEdit>(&dialog, "lineEditName")->text(), typed.at(1));
        }
        // The list shows the catalogue once the entry closes.
        dialog.close();
        QTimer::singleShot(0, [] {
            if (QWidget *entry = QApplication::activeModalWidget())
                entry->close();
        });
        press(&list, "pushButtonAdd");
        QCOMPARE(view->model()->rowCount(), message.isEmpty() ? 3 : 2);
    }

    void productLookup_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("by code") << 0 << " P1 "
                                 << "P1"
                                 << "安康保险";
        QTest::newRow("code with a quote") << 0 << "P'2"
                                           << "P'2"
                                           << "少儿_险%";
        QTest::newRow("by name") << 1 << "少儿_险%"
                                 << "P'2"
                                 << "少儿_险%";
        QTest::newRow("wildcards match themselves") << 1 << "安康%"
                                                    << ""
                                                    << "安康%";
        QTest::newRow("injection finds nothing") << 0 << "x' OR '1'='1"
                                                 << "x' OR '1'='1"
                                                 << "";
    }
    void productLookup()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, code);
        QFETCH(QString, name);
        MessageRecorder messages;
        AddCustomerOrderDialog dialog(nullptr, customer, QStringLiteral("张三"));
        QTableWidget *table = lines(&dialog);
        QCOMPARE(dialog.focusWidget(), table);
        typeCell(table, 1, column, typed, false);
        QTest::keyClick(table, Qt::Key_Return);
        const bool found = !code.isEmpty() && !name.isEmpty();
        if (found) {
            QCOMPARE(cell(table, 1, 0), code);
            QCOMPARE(cell(table, 1, 1), name);
            QCOMPARE(table->currentColumn(), 2);
        } else {
            // Nothing found: the row is as typed.
            QCOMPARE(cell(table, 1, column), typed);
            QCOMPARE(table->currentColumn(), column);
        }
        QCOMPARE(messages.count(), 0);
    }

    void saveRules_data()
    {
        QTest::addColumn<bool>("withCustomer");
        QTest::addColumn<QStringList>("rows"); // "code|amount|money" per line
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("no customer")
            << false << QStringList{"P1|1|100"} << "请指定客户" << QStringList{};
        QTest::newRow("nothing valid") << true << QStringList{"P1|0|100", "|1|100", "P1|2|"}
                                       << "请输入有效的订单内容" << QStringList{};
        QTest::newRow("decimal price skipped")
            << true << QStringList{"P1|1|1.5", "P1|2|300", "P1|1 1|5"} << ""
            << QStringList{"P1|2|300"};
        QTest::newRow("letters refused as typed")
            << true << QStringList{"P1|2x|3y00"} << "" << QStringList{"P1|2|300"};
        QTest::newRow("unknown product stored")
            << true << QStringList{"NOPE|3|900", "P'2|1|2000000000"} << ""
            << QStringList{"NOPE|3|900", "P'2|1|2000000000"};
    }
    void saveRules()
    {
        QFETCH(bool, withCustomer);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        QFETCH(QStringList, stored);
        MessageRecorder messages;
        AddCustomerOrderDialog dialog(nullptr, withCustomer ? customer : -1,
                                      withCustomer ? QStringLiteral("张三") : QString());
        dialog.show();
        for (int row = 0; row < rows.size(); ++row) {
            const QStringList parts = rows.at(row).split('|');
            for (int column = 0; column < 3; ++column) {
                if (!parts.at(column).isEmpty())
                    typeCell(lines(&dialog), row, column == 0 ? 0 : column + 1, parts.at(column));
            }
        }
        press(&dialog, "pushButtonSave");

        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(dialog.isVisible(), !message.isEmpty());
        QCOMPARE(dialog.result(), message.isEmpty() ? QDialog::Accepted : QDialog::Rejected);
        QStringList actual;
        QSqlQuery query("SELECT product_id, amount, money, customer_id, add_time "
                        "FROM customers_orders ORDER BY id");
        while (query.next()) {
            actual << QStringList{query.value(0).toString(), query.value(1).toString(),
                                  query.value(2).toString()}
                          .join('|');
            QCOMPARE(query.value(3).toInt(), customer);
            QCOMPARE(query.value(4).toLongLong(), nowTime());
        }
        QCOMPARE(actual, stored);
    }

    void failingLineLeavesNoLineStored()
    {
        // The disk "fills up" at the second line of the order.
        QVERIFY(execSql("CREATE TRIGGER second_line_fails BEFORE INSERT ON customers_orders "
                        "WHEN (SELECT count(*) FROM customers_orders) >= 1 "
                        "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        MessageRecorder messages;
        AddCustomerOrderDialog dialog(nullptr, customer, QStringLiteral("张三"));
        dialog.show();
        for (int row = 0; row < 2; ++row) {
            typeCell(lines(&dialog), row, 0, "P1");
            typeCell(lines(&dialog), row, 2, "1");
            typeCell(lines(&dialog), row, 3, "100");
        }
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, QString("新增订单记录出错."));
        QVERIFY(messages.last().text.contains("disk full"));
        QCOMPARE(orderLineCount(), 0);
        QVERIFY(dialog.isVisible());
        QCOMPARE(cell(lines(&dialog), 1, 3), QString("100"));

        // Once the cause is gone the same lines save whole.
        QVERIFY(execSql("DROP TRIGGER second_line_fails"));
        messages.clear();
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.count(), 0);
        QCOMPARE(orderLineCount(), 2);
        QCOMPARE(dialog.result(), QDialog::Accepted);
    }

    void customerPickedFromTheProspectList()
    {
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("李四")));
        AddCustomerOrderDialog dialog;
        QCOMPARE(dialog.focusWidget()->objectName(), QString("pushButtonSelectCustomer"));
        QTimer::singleShot(0, [] {
            if (QWidget *picker = QApplication::activeModalWidget()) {
                auto *view = child<QTableView>(picker, "tableView");
                view->setFocus();
                view->setCurrentIndex(view->model()->index(0, 1));
                doubleClickRow(view, 0);
            }
        });
        press(&dialog, "pushButtonSelectCustomer");
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit")->text(), QString("张三"));
        QCOMPARE(dialog.focusWidget(), lines(&dialog));
        typeCell(lines(&dialog), 0, 0, "P1");
        typeCell(lines(&dialog), 0, 2, "1");
        typeCell(lines(&dialog), 0, 3, "5");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.count(), 0);
        QCOMPARE(queryValue("SELECT customer_id FROM customers_orders").toInt(), customer);
    }

    void dealFromTheCallDialog_data()
    {
        QTest::addColumn<QString>("entry"); // what the agent does in the order entry
        QTest::addColumn<int>("userType");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<int>("storedLines");
        QTest::newRow("order saved") << "save" << 2 << "李四" << 1;
        QTest::newRow("entry cancelled") << "close" << 1 << "张三" << 0;
        QTest::newRow("order refused") << "fail" << 1 << "张三" << 0;
    }
    void dealFromTheCallDialog()
    {
        QFETCH(QString, entry);
        QFETCH(int, userType);
        QFETCH(QString, shownAfter);
        QFETCH(int, storedLines);
        insertProspect(prospect(QStringLiteral("李四")));
        if (entry == "fail")
            QVERIFY(execSql("CREATE TRIGGER no_orders BEFORE INSERT ON customers_orders "
                            "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        MessageRecorder messages;
        const std::unique_ptr<QSqlCustomerTableModel> list(
            loadCustomersModel(nullptr, "user_type = 1", 0, 0));
        CallDialog call(list.get(), list->index(0, 0));
        call.show();
        QString orderedFor;
        QTimer::singleShot(0, [&] {
            auto *order = qobject_cast<AddCustomerOrderDialog *>(QApplication::activeModalWidget());
            if (!order)
                return;
            orderedFor = child<QLineEdit>(order, "lineEdit")->text();
            if (entry != "close") {
                typeCell(lines(order), 0, 0, "P1");
                typeCell(lines(order), 0, 2, "1");
                typeCell(lines(order), 0, 3, "100");
                press(order, "pushButtonSave");
            }
            if (order->isVisible())
                press(order, "pushButtonClose");
        });
        press(&call, "pushButtonBargain");

        QCOMPARE(orderedFor, QString("张三"));
        QCOMPARE(queryValue(QString("SELECT user_type FROM customers WHERE id = %1").arg(customer))
                     .toInt(),
                 userType);
        QCOMPARE(child<QLineEdit>(&call, "lineEditName")->text(), shownAfter);
        QCOMPARE(orderLineCount(), storedLines);
        QCOMPARE(messages.count(), entry == "fail" ? 1 : 0);
        QCOMPARE(queryValue("SELECT count(*) FROM customers_tel_logs").toInt(), 0);
    }

    void currentWeek_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("monday");
        QTest::addColumn<QDate>("sunday");
        QTest::newRow("Sunday") << QDate(2026, 12, 13) << QDate(2026, 12, 7) << QDate(2026, 12, 13);
        QTest::newRow("Monday") << QDate(2026, 12, 7) << QDate(2026, 12, 7) << QDate(2026, 12, 13);
    }
    void currentWeek()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, monday);
        QFETCH(QDate, sunday);
        Clock::setFixedNow(QDateTime(today, QTime(12, 0)));
        QVERIFY(addOrderAt(customer, "P1", 1, 10, monday.addDays(-1)));
        QVERIFY(addOrderAt(customer, "P1", 2, 20, monday));
        QVERIFY(addOrderAt(customer, "P1", 4, 40, sunday));
        QVERIFY(addCustomerOrder(customer, dayEndTime(sunday) + 1, "P1", 8, 80));

        CustomerOrdersDialog dialog(nullptr, QString());
        QCOMPARE(dialog.windowTitle(), QString("成交客户订单列表 [历史所有]"));
        QCOMPARE(listedRows(&dialog), 4);
        press(&dialog, "pushButtonCurrentWeek");
        QCOMPARE(child<QDateEdit>(&dialog, "dateEditBegin")->date(), monday);
        QCOMPARE(child<QDateEdit>(&dialog, "dateEditEnd")->date(), sunday);
        QCOMPARE(dialog.windowTitle(),
                 QString("成交客户订单列表 [%1至%2]")
                     .arg(monday.toString("yy-MM-dd"), sunday.toString("yy-MM-dd")));
        QCOMPARE(listedRows(&dialog), 2);
        QCOMPARE(totals(&dialog), QStringList({"成交客户数:1", "成交产品数量:6", "成交总金额:60"}));
    }

    void beginAfterEndIsEmpty()
    {
        QVERIFY(addOrderAt(customer, "P1", 1, 10, QDate(2026, 12, 5)));
        CustomerOrdersDialog dialog(nullptr, GetDayBegin(QDate(2026, 12, 1)), todayEndTime());
        QCOMPARE(listedRows(&dialog), 1);
        child<QDateEdit>(&dialog, "dateEditBegin")->setDate(QDate(2026, 12, 10));
        press(&dialog, "pushButtonOk");
        QCOMPARE(dialog.windowTitle(), QString("成交客户订单列表 [26-12-10至26-12-09]"));
        QCOMPARE(listedRows(&dialog), 0);
        QCOMPARE(totals(&dialog), QStringList({"成交客户数:0", "成交产品数量:0", "成交总金额:0"}));
    }

    void totalsAreSixtyFourBitAndCountUnlistedLines()
    {
        const int other = insertProspect(prospect(QStringLiteral("李四")));
        QVERIFY(addOrderAt(customer, "P1", 1, 2000000000, QDate(2026, 12, 9)));
        QVERIFY(addOrderAt(other, "P'2", 2, 2000000000, QDate(2026, 12, 9)));
        // Not in the catalogue: counted, but the list joins products and leaves it out.
        QVERIFY(addOrderAt(other, "GONE", 3, 5, QDate(2026, 12, 9)));

        CustomerOrdersDialog dialog(nullptr, todayBeginTime(), todayEndTime());
        QCOMPARE(listedRows(&dialog), 2);
        QCOMPARE(totals(&dialog),
                 QStringList({"成交客户数:2", "成交产品数量:6", "成交总金额:4000000005"}));
        QCOMPARE(dialog.totalMoney(), Q_INT64_C(4000000005));
        auto *view = child<QTableView>(&dialog, "tableView");
        QVERIFY(view->isColumnHidden(2));
        QCOMPARE(view->model()->index(0, 3).data().toString(), QString("张三"));
    }
};

CALLLEDGER_TEST_MAIN(TestOrders, QApplication)
#include "tst_orders.moc"
