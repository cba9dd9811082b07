#include "prospects/prospectfixtures.h"
#include "team/dialogtesting.h"

#include "common/dateutils.h"
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

#include <QDateEdit>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>

using namespace DialogTesting;
using namespace Fixtures;

namespace {
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

// Fills one order line: product code, amount and money.
void typeLine(QWidget *dialog, int row, const QString &code, const QString &amount,
              const QString &money)
{
    typeCell(lines(dialog), row, 0, code);
    typeCell(lines(dialog), row, 2, amount);
    typeCell(lines(dialog), row, 3, money);
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

// The listed rows and the three totals, "rows|customers|amount|money".
QString listed(QWidget *dialog)
{
    QStringList shown{QString::number(child<QTableView>(dialog, "tableView")->model()->rowCount())};
    for (const char *label : {"labelCustomerCount", "labelAmount", "labelMoney"})
        shown << child<QLabel>(dialog, label)->text();
    return shown.join('|');
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
        const auto row = [](const char *tag, const QStringList &typed, const QStringList &message,
                            const QString &focus) {
            QTest::newRow(tag) << typed << message << focus;
        };
        const QString hint = "提示";
        row("blank code", {"   ", "A", "x"}, {hint, "请输入编号."}, "lineEditIdentifie");
        row("blank name", {"P9", "  ", "x"}, {hint, "请输入名称."}, "lineEditName");
        row("no introduction", {"P9", "A", ""}, {hint, "请输入产品介绍."}, "textEditIntroduce");
        row("existing code", {"P1", "别的", "x"}, {"新增产品信息出错.", "产品编号已存在."}, "");
        row("blank introduction stored as typed", {" P9 ", " A ", "   "}, {}, "lineEditIdentifie");
    }
    void productEntry()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, message);
        QFETCH(QString, focus);
        MessageRecorder messages;
        ProductsDialog list;
        AddProductDialog dialog(&list);
        typeInto(edit(&dialog, "lineEditIdentifie"), typed.at(0));
        typeInto(edit(&dialog, "lineEditName"), typed.at(1));
        child<QTextEdit>(&dialog, "textEditIntroduce")->setPlainText(typed.at(2));
        press(&dialog, "pushButtonOk");

        if (!focus.isEmpty())
            QCOMPARE(dialog.focusWidget()->objectName(), focus);
        if (message.isEmpty()) {
            QCOMPARE(messages.count(), 0);
            QCOMPARE(storedRows("SELECT name, introduce FROM products WHERE id = 'P9'"),
                     QStringList("A|   "));
            // Cleared for the next product.
            QVERIFY(edit(&dialog, "lineEditIdentifie")->text().isEmpty());
            QVERIFY(child<QTextEdit>(&dialog, "textEditIntroduce")->toPlainText().isEmpty());
        } else {
            QCOMPARE(messages.last().title, message.at(0));
            QVERIFY2(messages.last().text.contains(message.at(1)),
                     qPrintable(messages.last().text));
            QCOMPARE(queryValue("SELECT count(*) FROM products").toInt(), 2);
            // What was typed stays for a correction.
            QCOMPARE(edit(&dialog, "lineEditName")->text(), typed.at(1));
        }
        // The list shows the catalogue once the entry closes.
        dialog.close();
        whenModal([](QWidget *entry) { entry->close(); });
        press(&list, "pushButtonAdd");
        QCOMPARE(child<QTableView>(&list, "tableView")->model()->rowCount(),
                 message.isEmpty() ? 3 : 2);
    }

    void productLookup_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code"); // "" = nothing found
        QTest::addColumn<QString>("name");
        row("by code", 0, " P1 ", "P1", "安康保险");
        row("code with a quote", 0, "P'2", "P'2", "少儿_险%");
        row("by name", 1, "少儿_险%", "P'2", "少儿_险%");
        row("wildcards match themselves", 1, "安康%", "", "");
        row("injection finds nothing", 0, "x' OR '1'='1", "", "");
    }
    void productLookup()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, code);
        MessageRecorder messages;
        AddCustomerOrderDialog dialog(nullptr, customer, QStringLiteral("张三"));
        QTableWidget *table = lines(&dialog);
        QCOMPARE(dialog.focusWidget(), table);
        typeCell(table, 1, column, typed, false);
        QTest::keyClick(table, Qt::Key_Return);
        if (code.isEmpty()) {
            // Nothing found: the row is as typed.
            QCOMPARE(cell(table, 1, column), typed);
            QCOMPARE(table->currentColumn(), column);
        } else {
            QCOMPARE(cell(table, 1, 0), code);
            QTEST(cell(table, 1, 1), "name");
            QCOMPARE(table->currentColumn(), 2);
        }
        QCOMPARE(messages.count(), 0);
    }

    void saveRules_data()
    {
        QTest::addColumn<QString>("who");      // the customer: none, given by the caller or picked
        QTest::addColumn<QStringList>("rows"); // "code|amount|money" per line
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("stored");
        const auto row = [](const char *tag, const QString &who, const QStringList &rows,
                            const QString &message, const QStringList &stored) {
            QTest::newRow(tag) << who << rows << message << stored;
        };
        row("no customer", "none", {"P1|1|100"}, "请指定客户", {});
        row("customer picked", "picked", {"P1|1|5"}, "", {"P1|1|5"});
        const QString incomplete =
            "第 %1 行订单不完整: 请填写产品编号、数量和金额 (大于 0 的整数).";
        row("nothing", "given", {}, "请输入有效的订单内容", {});
        row("no amount", "given", {"P1|2|300", "P1|0|100"}, incomplete.arg(2), {});
        row("no price", "given", {"P1|2|300", "P1|2|"}, incomplete.arg(2), {});
        row("decimal price", "given", {"P1|2|300", "P1|1|1.5"}, incomplete.arg(2), {});
        row("letters refused as typed", "given", {"P1|2x|3y00"}, "", {"P1|2|300"});
        row("unknown product stored", "given", {"NOPE|3|900", "P'2|1|2000000000"}, "",
            {"NOPE|3|900", "P'2|1|2000000000"});
    }
    void saveRules()
    {
        QFETCH(QString, who);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        QFETCH(QStringList, stored);
        MessageRecorder messages;
        insertProspect(prospect(QStringLiteral("李四")));
        const bool given = who == "given";
        AddCustomerOrderDialog dialog(nullptr, given ? customer : -1,
                                      given ? QStringLiteral("张三") : QString());
        dialog.show();
        if (who == "picked") {
            QCOMPARE(dialog.focusWidget()->objectName(), QString("pushButtonSelectCustomer"));
            whenModal(
                [](QWidget *picker) { doubleClickRow(child<QTableView>(picker, "tableView"), 0); });
            press(&dialog, "pushButtonSelectCustomer");
            QCOMPARE(edit(&dialog, "lineEdit")->text(), QString("张三"));
            QCOMPARE(dialog.focusWidget(), lines(&dialog));
        }
        for (int row = 0; row < rows.size(); ++row) {
            const QStringList parts = rows.at(row).split('|');
            for (int column = 0; column < 3; ++column) {
                if (!parts.at(column).isEmpty())
                    typeCell(lines(&dialog), row, column == 0 ? 0 : column + 1, parts.at(column));
            }
        }
        press(&dialog, "pushButtonSave");

        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(dialog.result(), message.isEmpty() ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(dialog.isVisible(), !message.isEmpty());
        // Lines of another customer or time would be missing here and fail the comparison.
        QCOMPARE(storedRows(QString("SELECT product_id, amount, money FROM customers_orders "
                                    "WHERE customer_id = %1 AND add_time = %2 ORDER BY id")
                                .arg(customer)
                                .arg(nowTime())),
                 stored);
        QCOMPARE(orderLineCount(), stored.size());
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
        typeLine(&dialog, 0, "P1", "1", "100");
        typeLine(&dialog, 1, "P1", "1", "100");
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.last().title, QString("新增订单记录出错."));
        QVERIFY(messages.last().text.contains("disk full"));
        QCOMPARE(orderLineCount(), 0);
        QVERIFY(dialog.isVisible());

        // The lines stay, and once the cause is gone they save whole.
        QVERIFY(execSql("DROP TRIGGER second_line_fails"));
        press(&dialog, "pushButtonSave");
        QCOMPARE(messages.count(), 1);
        QCOMPARE(orderLineCount(), 2);
        QCOMPARE(dialog.result(), QDialog::Accepted);
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
        insertProspect(prospect(QStringLiteral("李四")));
        if (entry == "fail")
            QVERIFY(execSql("CREATE TRIGGER no_orders BEFORE INSERT ON customers_orders "
                            "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        MessageRecorder messages;
        if (entry == "fail")
            messages.answerNext(QMessageBox::Yes); // closing drops the typed line
        const std::unique_ptr<QSqlCustomerTableModel> list(
            loadCustomersModel(nullptr, "user_type = 1", 0, 0));
        CallDialog call(list.get(), list->index(0, 0));
        call.show();
        QString orderedFor;
        whenModal([&](QWidget *order) {
            orderedFor = edit(order, "lineEdit")->text();
            if (entry != "close") {
                typeLine(order, 0, "P1", "1", "100");
                press(order, "pushButtonSave");
            }
            if (order->isVisible())
                press(order, "pushButtonClose");
        });
        press(&call, "pushButtonBargain");

        QCOMPARE(orderedFor, QString("张三"));
        QTEST(queryValue(QString("SELECT user_type FROM customers WHERE id = %1").arg(customer))
                  .toInt(),
              "userType");
        QTEST(edit(&call, "lineEditName")->text(), "shownAfter");
        QTEST(orderLineCount(), "storedLines");
        QCOMPARE(messages.count(), entry == "fail" ? 2 : 0);
        QCOMPARE(messages.last().text, entry == "fail" ? "确认要关闭当前窗口吗?" : "");
        // The call is stored with its deal, and only with it.
        QTEST(queryValue("SELECT count(*) FROM customers_tel_logs").toInt(), "storedLines");
    }

    void periodChoice_data()
    {
        // The week button when begin is not given, else the dates and 确定.
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("listed");
        const QString week = "26-12-07至26-12-13";
        const QString weekListed = "2|成交客户数:1|成交产品数量:6|成交总金额:60";
        row("本周 on a Sunday", QDate(2026, 12, 13), QDate(), QDate(), week, weekListed);
        row("本周 on a Monday", QDate(2026, 12, 7), QDate(), QDate(), week, weekListed);
        row("begin after end", QDate(2026, 12, 9), QDate(2026, 12, 10), QDate(2026, 12, 9),
            "26-12-10至26-12-09", "0|成交客户数:0|成交产品数量:0|成交总金额:0");
    }
    void periodChoice()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, begin);
        QFETCH(QDate, end);
        Clock::setFixedNow(QDateTime(today, QTime(12, 0)));
        // Just outside, at both ends, and just inside the week of 7 December.
        QVERIFY(addOrderAt(customer, "P1", 1, 10, QDate(2026, 12, 6)));
        QVERIFY(addOrderAt(customer, "P1", 2, 20, QDate(2026, 12, 7)));
        QVERIFY(addOrderAt(customer, "P1", 4, 40, QDate(2026, 12, 13)));
        QVERIFY(addCustomerOrder(customer, dayEndTime(QDate(2026, 12, 13)) + 1, "P1", 8, 80));

        CustomerOrdersDialog dialog(nullptr, QString());
        QCOMPARE(listed(&dialog), QString("4|成交客户数:1|成交产品数量:15|成交总金额:150"));
        if (begin.isValid()) {
            child<QDateEdit>(&dialog, "dateEditBegin")->setDate(begin);
            child<QDateEdit>(&dialog, "dateEditEnd")->setDate(end);
            press(&dialog, "pushButtonOk");
        } else {
            press(&dialog, "pushButtonCurrentWeek");
        }
        QFETCH(QString, period);
        QCOMPARE(dialog.windowTitle(), "成交客户订单列表 [" + period + "]");
        QTEST(listed(&dialog), "listed");
    }

    void totalsAreSixtyFourBitAndCountUnlistedLines()
    {
        const int other = insertProspect(prospect(QStringLiteral("李四")));
        QVERIFY(addOrderAt(customer, "P1", 1, 2000000000, QDate(2026, 12, 9)));
        QVERIFY(addOrderAt(other, "P'2", 2, 2000000000, QDate(2026, 12, 9)));
        // Not in the catalogue: counted, but the list joins products and leaves it out.
        QVERIFY(addOrderAt(other, "GONE", 3, 5, QDate(2026, 12, 9)));

        CustomerOrdersDialog dialog(nullptr, todayBeginTime(), todayEndTime());
        QCOMPARE(listed(&dialog), QString("2|成交客户数:2|成交产品数量:6|成交总金额:4000000005"));
        QCOMPARE(dialog.totalMoney(), Q_INT64_C(4000000005));
        auto *view = child<QTableView>(&dialog, "tableView");
        QVERIFY(view->isColumnHidden(2));
        QCOMPARE(view->model()->index(0, 3).data().toString(), QString("张三"));
    }
};

CALLLEDGER_TEST_MAIN(TestOrders, QApplication)
#include "tst_orders.moc"
