#include "store/customerstore.h"
#include "store/database.h"
#include "store/nameencoding.h"
#include "store/sqlcondition.h"
#include "support/testmain.h"
#include "support/testworkspace.h"
#include "support/warningrecorder.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QThread>

#include <memory>

namespace {
// Adds prospects named "P<n>" with phone number n, in one transaction.
void addNumberedCustomers(int first, int last)
{
    QVERIFY(beginTransaction());
    for (int n = first; n <= last; ++n)
        QVERIFY(addCustomer(QString("P%1").arg(n), 1, "1980-01-01", QString::number(n), "addr",
                            "tel", "co", "office"));
    QVERIFY(commitTransaction());
}

int customerId(const QString &plainName)
{
    return queryValue("SELECT id FROM customers WHERE name = " + sqlQuoted(encodeName(plainName)))
        .toInt();
}

// Inserts rows through its own connection from inside run(), as the list writer does.
class WriterThread : public QThread
{
public:
    bool ok = false;
    QString decoded;

protected:
    void run() override
    {
        const QString name = QStringLiteral("writer");
        {
            QSqlDatabase db = openDatabaseConnection(name);
            ok = db.isOpen() && beginTransaction(name);
            ok = ok && addDownloadedCustomer("王五", "139", "远方公司", "经理", "地址", 501, name);
            ok = ok && addDownloadedCustomer("赵六", "138", "", "", "", 502, name);
            ok = ok && commitTransaction(name);
            QSqlQuery query(db);
            if (query.exec(
                    "SELECT decode_name(name) FROM customers WHERE server_customer_id = 501") &&
                query.next())
                decoded = query.value(0).toString();
        }
        removeDatabaseConnection(name);
    }
};
} // namespace

class TestProspectStore : public QObject
{
    Q_OBJECT

private slots:
    void pageCountRoundsUp()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QCOMPARE(customerPageCount("", 100), 0);
        addNumberedCustomers(1, 100);
        QCOMPARE(customerPageCount("", 100), 1);
        QCOMPARE(customerPageCount(" user_type != 0 ", 100), 1);
        addNumberedCustomers(101, 101);
        QCOMPARE(customerPageCount("", 100), 2);
        QCOMPARE(customerPageCount("", 0), 0);
        QCOMPARE(customerPageCount("", -5), 0);
        // The filter applies to the count.
        QCOMPARE(customerPageCount("phone_number = '7'", 100), 1);
        QCOMPARE(customerPageCount("phone_number = 'none'", 100), 0);
        // A broken condition counts nothing instead of failing loudly.
        QCOMPARE(customerPageCount("no_such_column = 1", 100), 0);
    }

    void pageReadsItsSliceOfTheFilteredRows()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addNumberedCustomers(1, 350);
        QVERIFY(execSql("UPDATE customers SET user_type = 0 WHERE id > 330"));

        std::unique_ptr<QSqlCustomerTableModel> page3(
            loadCustomersModel(nullptr, " user_type != 0 ", 3, 100));
        QCOMPARE(page3->rowCount(), 100);
        QCOMPARE(page3->data(page3->index(0, ColumnPhoneNumber)).toString(), QString("201"));
        QCOMPARE(page3->data(page3->index(99, ColumnPhoneNumber)).toString(), QString("300"));
        QCOMPARE(page3->data(page3->index(0, ColumnName)).toString(), QString("P201"));

        std::unique_ptr<QSqlCustomerTableModel> page4(
            loadCustomersModel(nullptr, " user_type != 0 ", 4, 100));
        QCOMPARE(page4->rowCount(), 30);

        // Page 0 reaches every matching row, beyond the driver's first batch,
        // as a view fetches them.
        std::unique_ptr<QSqlCustomerTableModel> all(
            loadCustomersModel(nullptr, " user_type != 0 ", 0, 100));
        while (all->canFetchMore())
            all->fetchMore();
        QCOMPARE(all->rowCount(), 330);
        std::unique_ptr<QSqlCustomerTableModel> unfiltered(loadCustomersModel(nullptr, "", 0, 0));
        while (unfiltered->canFetchMore())
            unfiltered->fetchMore();
        QCOMPARE(unfiltered->rowCount(), 350);

        // Paging without a condition still reads the page.
        std::unique_ptr<QSqlCustomerTableModel> plainPage(loadCustomersModel(nullptr, "", 2, 100));
        QCOMPARE(plainPage->rowCount(), 100);
        QCOMPARE(plainPage->data(plainPage->index(0, ColumnPhoneNumber)).toString(),
                 QString("101"));

        QCOMPARE(page3->headerData(ColumnName, Qt::Horizontal).toString(), QString("姓名"));
        QCOMPARE(page3->headerData(ColumnHomeAddress, Qt::Horizontal).toString(),
                 QString("家庭/公司地址"));
        QCOMPARE(page3->headerData(ColumnUserType, Qt::Horizontal).toString(), QString("用户类型"));
    }

    void namesAreStoredEncodedAndShownPlain()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("张三", 1, "1980-05-06", "13800000000", "北京路1号", "010-1",
                            "平安保险", "经理"));
        const int id = lastInsertId();
        QCOMPARE(id, customerId("张三"));
        QCOMPARE(queryValue("SELECT name FROM customers").toString(),
                 QString::fromLatin1(QString("张三").toUtf8().toBase64()));
        QCOMPARE(queryValue("SELECT company_name FROM customers").toString(),
                 QString::fromLatin1(QString("平安保险").toUtf8().toBase64()));
        QCOMPARE(queryValue("SELECT home_address FROM customers").toString(), QString("北京路1号"));
        QCOMPARE(queryValue("SELECT is_contact || ',' || user_type || ',' || "
                            "ifnull(server_customer_id, 'null') FROM customers")
                     .toString(),
                 QString("0,1,null"));

        std::unique_ptr<QSqlCustomerTableModel> table(loadCustomersModel(nullptr, "", 0, 0));
        QCOMPARE(table->data(table->index(0, ColumnName)).toString(), QString("张三"));
        QCOMPARE(table->data(table->index(0, ColumnCompanyName)).toString(), QString("平安保险"));
        QCOMPARE(table->data(table->index(0, ColumnOffice)).toString(), QString("经理"));

        QSqlCustomerQueryModel query;
        query.setQuery("SELECT id, name, sex, birth_date, phone_number, home_address, home_tel, "
                       "company_name, office, is_contact, user_type FROM customers");
        QCOMPARE(query.data(query.index(0, ColumnName)).toString(), QString("张三"));
        QCOMPARE(query.data(query.index(0, ColumnName), Qt::EditRole).toString(), QString("张三"));
        QCOMPARE(query.data(query.index(0, ColumnCompanyName)).toString(), QString("平安保险"));
        // Other columns pass unchanged, even when they would be valid Base64.
        QCOMPARE(query.data(query.index(0, ColumnOffice)).toString(), QString("经理"));
        QCOMPARE(query.data(query.index(0, ColumnBirthDate)).toString(), QString("1980-05-06"));
        QVERIFY(!query.data(query.index(0, ColumnName), Qt::DecorationRole).isValid());
    }

    void editingAndSubmittingKeepsNamesReadable()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(addCustomer("李四", 0, "1990-01-01", "1", "", "", "太平洋", "职员"));
        QVERIFY(addCustomer("无公司", 0, "1990-01-01", "2", "", "", "", ""));
        QVERIFY(execSql("UPDATE customers SET company_name = NULL WHERE phone_number = '2'"));
        {
            std::unique_ptr<QSqlCustomerTableModel> model(loadCustomersModel(nullptr, "", 0, 0));
            QCOMPARE(model->rowCount(), 2);
            QVERIFY(model->setData(model->index(0, ColumnOffice), "主管"));
            QVERIFY(model->submitAll());
        }
        QCOMPARE(queryValue("SELECT name FROM customers WHERE phone_number = '1'").toString(),
                 encodeName("李四"));
        QCOMPARE(
            queryValue("SELECT company_name FROM customers WHERE phone_number = '1'").toString(),
            encodeName("太平洋"));
        QCOMPARE(queryValue("SELECT office FROM customers WHERE phone_number = '1'").toString(),
                 QString("主管"));
        // A missing company stays missing.
        QVERIFY(queryValue("SELECT company_name IS NULL FROM customers WHERE phone_number = '2'")
                    .toBool());

        // A name typed into the view is stored encoded.
        {
            std::unique_ptr<QSqlCustomerTableModel> model(
                loadCustomersModel(nullptr, "phone_number = '1'", 0, 0));
            QVERIFY(model->setData(model->index(0, ColumnName), "李四四"));
            QVERIFY(model->submitAll());
        }
        std::unique_ptr<QSqlCustomerTableModel> again(loadCustomersModel(nullptr, "", 0, 0));
        QCOMPARE(again->data(again->index(0, ColumnName)).toString(), QString("李四四"));
        QCOMPARE(again->data(again->index(0, ColumnCompanyName)).toString(), QString("太平洋"));
    }

    void wholeTableLoadsWithoutDirtyRows()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addNumberedCustomers(1, 10000);
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<QSqlCustomerTableModel> model(loadCustomersModel(nullptr, "", 0, 100));
        while (model->canFetchMore())
            model->fetchMore();
        QCOMPARE(model->rowCount(), 10000);
        QCOMPARE(model->data(model->index(9999, ColumnName)).toString(), QString("P10000"));
        // Decoding must not go through the edit cache, whose every read walks
        // all cached rows: ten thousand rows took seconds that way.
        QVERIFY(!model->isDirty());
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));

        // Submitting one edited row writes that row only, and the model still
        // shows readable names after Qt re-reads the table.
        QVERIFY(model->setData(model->index(0, ColumnName), "改名"));
        QVERIFY(model->isDirty(model->index(0, ColumnName)));
        QCOMPARE(model->data(model->index(0, ColumnName)).toString(), QString("改名"));
        QVERIFY(model->submitAll());
        QCOMPARE(model->data(model->index(0, ColumnName)).toString(), QString("改名"));
        QCOMPARE(queryValue("SELECT name FROM customers WHERE phone_number = '1'").toString(),
                 encodeName("改名"));
        QCOMPARE(
            queryValue("SELECT count(*) FROM customers WHERE name = " + sqlQuoted(encodeName("P2")))
                .toInt(),
            1);
    }

    void downloadedProspectGetsFixedValues()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QCOMPARE(maxServerCustomerId(), qint64(0));
        WarningRecorder warnings;
        QVERIFY(addDownloadedCustomer("钱七", "137", "某公司", "总监", "上海", 77));
        QVERIFY(addDownloadedCustomer("孙八", "136", "", "", "", 12));
        QCOMPARE(maxServerCustomerId(), qint64(77));
        QSqlQuery query;
        QVERIFY(query.exec("SELECT name, sex, birth_date, phone_number, home_address, home_tel, "
                           "company_name, office, is_contact, user_type, server_customer_id "
                           "FROM customers WHERE server_customer_id = 77"));
        QVERIFY(query.next());
        QCOMPARE(decodeName(query.value(0).toString()), QString("钱七"));
        QCOMPARE(query.value(1).toInt(), -1);
        QCOMPARE(query.value(2).toString(), QString("1900-01-01"));
        QCOMPARE(query.value(3).toString(), QString("137"));
        QCOMPARE(query.value(4).toString(), QString("上海"));
        QVERIFY(!query.value(5).isNull());
        QCOMPARE(query.value(5).toString(), QString(""));
        QCOMPARE(decodeName(query.value(6).toString()), QString("某公司"));
        QCOMPARE(query.value(7).toString(), QString("总监"));
        QCOMPARE(query.value(8).toInt(), 0);
        QCOMPARE(query.value(9).toInt(), 1);
        QCOMPARE(query.value(10).toInt(), 77);
        query.finish();

        // Failures are silent: the writer goes on with the next prospect.
        QVERIFY(execSql("DROP TABLE customers"));
        QVERIFY(!addDownloadedCustomer("x", "1", "", "", "", 1));
        QCOMPARE(warnings.count(), 0);
        QCOMPARE(maxServerCustomerId(), qint64(0));
    }

    void writerThreadRowsAreVisibleAfterCommit()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        WriterThread writer;
        writer.start();
        QVERIFY(writer.wait(30000));
        QVERIFY(writer.ok);
        QCOMPARE(writer.decoded, QString("王五"));
        QVERIFY(!QSqlDatabase::contains("writer"));
        QCOMPARE(warnings.count(), 0);
        // The GUI connection sees the committed rows at once.
        QCOMPARE(maxServerCustomerId(), qint64(502));
        QCOMPARE(customerPageCount(encodedNameContains("name", "王"), 10), 1);
        std::unique_ptr<QSqlCustomerTableModel> model(
            loadCustomersModel(nullptr, "server_customer_id = 501", 0, 0));
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->data(model->index(0, ColumnCompanyName)).toString(), QString("远方公司"));
    }

    void nameSearchTakesTypedTextLiterally()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const QStringList names = {"张三", "李张", "O'Brien",     "100%",      "1000",
                                   "a_b",  "axb",  "back\\slash", "backslash", "王五"};
        for (const QString &name : names)
            QVERIFY(addCustomer(name, 1, "1900-01-01", "1", "", "", "", ""));

        const QList<QPair<QString, QStringList>> searches = {
            {"张", {"张三", "李张"}},
            {"张三", {"张三"}},
            {"'", {"O'Brien"}},
            {"O'B", {"O'Brien"}},
            {"%", {"100%"}},
            {"_", {"a_b"}},
            {"\\", {"back\\slash"}},
            {"k\\s", {"back\\slash"}},
            {"'; DROP TABLE customers; --", {}},
        };
        for (const auto &[typed, expected] : searches) {
            const QString condition = encodedNameContains("name", typed);
            QCOMPARE(customerPageCount(condition, 100), expected.isEmpty() ? 0 : 1);
            QCOMPARE(customerPageCount(condition, 1), int(expected.size()));
            std::unique_ptr<QSqlCustomerTableModel> model(
                loadCustomersModel(nullptr, condition, 1, 100));
            QStringList found;
            for (int row = 0; row < model->rowCount(); ++row)
                found << model->data(model->index(row, ColumnName)).toString();
            found.sort();
            QStringList sortedExpected = expected;
            sortedExpected.sort();
            QCOMPARE(found, sortedExpected);
        }
        QCOMPARE(queryValue("SELECT count(*) FROM customers").toInt(), int(names.size()));
    }

    void updatesAndRelatives()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        WarningRecorder warnings;
        QVERIFY(addCustomer("甲", 1, "1900-01-01", "1", "", "", "", ""));
        const int id = lastInsertId();
        QVERIFY(setCustomerContacted(id));
        QVERIFY(setCustomerUserType(id, 2));
        QCOMPARE(
            queryValue(
                QString("SELECT is_contact * 10 + user_type FROM customers WHERE id = %1").arg(id))
                .toInt(),
            12);

        QVERIFY(addKinsfolk(id, "父亲", "甲父", 1, "1950-01-01", "2", "公司", "退休"));
        std::unique_ptr<QSqlTableModel> kin(
            loadKinsfolkModel(nullptr, QString("customer_id = %1").arg(id)));
        QCOMPARE(kin->rowCount(), 1);
        QCOMPARE(kin->data(kin->index(0, 3)).toString(), QString("甲父")); // plain text
        QCOMPARE(kin->data(kin->index(0, 2)).toString(), QString("父亲"));
        QCOMPARE(kin->headerData(2, Qt::Horizontal).toString(), QString("关系"));
        QCOMPARE(kin->headerData(8, Qt::Horizontal).toString(), QString("职务"));
        std::unique_ptr<QSqlTableModel> noKin(loadKinsfolkModel(nullptr, "customer_id = 999"));
        QCOMPARE(noKin->rowCount(), 0);

        // The add time is the last argument but the second column.
        QVERIFY(addCustomerTelLog(id, 2, "谈过", 3000, 1, 1000));
        std::unique_ptr<QSqlTableModel> logs(loadCustomerTelLogsModel(nullptr, ""));
        QCOMPARE(logs->rowCount(), 1);
        QCOMPARE(logs->data(logs->index(0, 1)).toInt(), id);
        QCOMPARE(logs->data(logs->index(0, 2)).toInt(), 1000);
        QCOMPARE(logs->data(logs->index(0, 3)).toInt(), 2);
        QCOMPARE(logs->data(logs->index(0, 4)).toString(), QString("谈过"));
        QCOMPARE(logs->data(logs->index(0, 5)).toInt(), 3000);
        QCOMPARE(logs->data(logs->index(0, 6)).toInt(), 1);
        QCOMPARE(logs->headerData(5, Qt::Horizontal).toString(), QString("下次联系时间"));

        QVERIFY(addCustomerContactTrack(id, 1000, 1));
        QCOMPARE(queryValue("SELECT customer_id || ',' || contact_time || ',' || contact_state "
                            "FROM customers_contact_track")
                     .toString(),
                 QString("%1,1000,1").arg(id));
        QCOMPARE(warnings.count(), 0);
    }

    void countsCountDistinctProspects()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        const int dayBegin = 1700000000;
        const int dayEnd = dayBegin + 86399;
        // Prospect 1: three calls in the day; prospect 2: one visit; prospect 3: the day after.
        QVERIFY(addCustomerTelLog(1, 1, "a", dayBegin + 100, 1, dayBegin));
        QVERIFY(addCustomerTelLog(1, 1, "b", dayBegin + 200, 1, dayBegin + 10));
        QVERIFY(addCustomerTelLog(1, 1, "c", dayEnd, 2, dayEnd));
        QVERIFY(addCustomerTelLog(2, 2, "d", dayBegin + 300, 2, dayBegin + 50));
        QVERIFY(addCustomerTelLog(3, 1, "e", dayEnd + 1, 1, dayEnd + 1));

        QCOMPARE(countCustomersContacted(dayBegin, dayEnd, 1), 1);
        QCOMPARE(countCustomersContacted(dayBegin, dayEnd, 0), 2);
        QCOMPARE(countCustomersContacted(dayBegin, dayEnd, 2), 1);
        QCOMPARE(countCustomersContacted(dayBegin + 1, dayEnd - 1, 1), 1);
        QCOMPARE(countCustomersToContact(dayBegin, dayEnd, 0), 2);
        QCOMPARE(countCustomersToContact(dayBegin, dayEnd, 1), 1);
        QCOMPARE(countCustomersToContact(dayBegin, dayEnd, 2), 2);
        QCOMPARE(countCustomersToContact(dayBegin, dayEnd + 1, 1), 2);

        QVERIFY(addCustomerContactTrack(1, dayBegin, 1));
        QVERIFY(addCustomerContactTrack(1, dayBegin + 5, 2));
        QVERIFY(addCustomerContactTrack(2, dayEnd, 2));
        QVERIFY(addCustomerContactTrack(3, dayEnd + 1, 2));
        QCOMPARE(countCustomerContactTracks(dayBegin, dayEnd, 0), 2);
        QCOMPARE(countCustomerContactTracks(dayBegin, dayEnd, 1), 1);
        QCOMPARE(countCustomerContactTracks(dayBegin, dayEnd, 2), 2);

        // More prospects than a query model reads in its first batch.
        QVERIFY(beginTransaction());
        for (int id = 100; id < 700; ++id) {
            QVERIFY(addCustomerTelLog(id, 1, "x", dayBegin + 1000, 1, dayBegin + 1000));
            QVERIFY(addCustomerTelLog(id, 1, "y", dayBegin + 2000, 1, dayBegin + 2000));
        }
        QVERIFY(commitTransaction());
        QCOMPARE(countCustomersContacted(dayBegin, dayEnd, 1), 601);
        QCOMPARE(countCustomersToContact(dayBegin, dayEnd, 1), 601);

        QVERIFY(execSql("DROP TABLE customers_contact_track"));
        QCOMPARE(countCustomerContactTracks(dayBegin, dayEnd, 0), 0);
    }

    void failedWritesReportTheDatabaseError()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        QVERIFY(execSql("DROP TABLE customers"));
        QVERIFY(execSql("DROP TABLE customer_kinsfolk"));
        QVERIFY(execSql("DROP TABLE customers_tel_logs"));
        QVERIFY(execSql("DROP TABLE customers_contact_track"));
        WarningRecorder warnings;
        QVERIFY(!addCustomer("a", 1, "1900-01-01", "1", "", "", "", ""));
        QVERIFY(!setCustomerContacted(1));
        QVERIFY(!setCustomerUserType(1, 0));
        QVERIFY(!addKinsfolk(1, "r", "n", 0, "1900-01-01", "", "", ""));
        QVERIFY(!addCustomerTelLog(1, 1, "c", 1, 1, 1));
        QVERIFY(!addCustomerContactTrack(1, 1, 1));
        const QStringList titles = {"新增客户信息出错.", "更新联系标志出错.",
                                    "更新用户类型出错.", "新增客户亲属信息出错.",
                                    "新增电话记录出错.", "新增联系跟踪记录出错."};
        QCOMPARE(warnings.count(), int(titles.size()));
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(warnings.warnings().at(i).title, titles.at(i));
            QVERIFY2(warnings.warnings().at(i).text.contains("no such table"),
                     qPrintable(warnings.warnings().at(i).text));
        }
        // Reads give empty results, never a crash.
        QCOMPARE(customerPageCount("", 10), 0);
        std::unique_ptr<QSqlCustomerTableModel> model(loadCustomersModel(nullptr, "", 1, 10));
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(countCustomersContacted(0, 2000000000, 0), 0);
        QCOMPARE(countCustomersToContact(0, 2000000000, 0), 0);
    }

    void modelsPassTheModelTester()
    {
        TestWorkspace workspace;
        QVERIFY(workspace.openDatabase());
        addNumberedCustomers(1, 300);
        std::unique_ptr<QSqlCustomerTableModel> table(loadCustomersModel(nullptr, "", 0, 0));
        QAbstractItemModelTester tableTester(
            table.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSqlCustomerQueryModel query;
        query.setQuery("SELECT id, name, sex, birth_date, phone_number, home_address, home_tel, "
                       "company_name, office, is_contact, user_type FROM customers");
        // Attached after setQuery: Qt's own reset fetches its first rows inside the reset.
        QAbstractItemModelTester queryTester(
            &query, QAbstractItemModelTester::FailureReportingMode::QtTest);
        while (query.canFetchMore())
            query.fetchMore();
        QCOMPARE(query.rowCount(), 300);
        QCOMPARE(query.data(query.index(299, ColumnName)).toString(), QString("P300"));
    }
};

CALLLEDGER_TEST_MAIN(TestProspectStore, QCoreApplication)
#include "tst_prospectstore.moc"
